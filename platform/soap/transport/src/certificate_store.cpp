#include "platform/soap/certificate_store.h"

namespace platform::soap {} // namespace platform::soap
