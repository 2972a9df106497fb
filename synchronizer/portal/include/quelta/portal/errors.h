#pragma once
//! The errors a Portal call or a record conversion raises (defined with Quelta's other error kinds).

#include "quelta/error_kinds.h"
