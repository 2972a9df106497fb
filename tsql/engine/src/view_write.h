#pragma once
//! INSERT, UPDATE and DELETE through a view over one table: the statement is pointed at the base table, view
//! columns replaced by what they stand for and the view's WHERE added, for as long as it runs.

#include "ast.h"

#include <memory>

namespace tsql::engine {

class Executor;

//! Keeps a statement redirected to a view's base table; puts it back as written when destroyed.
class ViewRedirect {
public:
    ViewRedirect();
    ~ViewRedirect();
    ViewRedirect(const ViewRedirect&) = delete;
    ViewRedirect& operator=(const ViewRedirect&) = delete;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

//! Redirects an UPDATE whose target is a view (error 4405 for a view over several tables, 4406 for
//! derived columns); nullptr when the target is no view.
std::unique_ptr<ViewRedirect> redirectUpdate(Executor& ex, const UpdateStmt& stmt);
//! The same for INSERT: the view's columns become the base table's (4406 for derived ones).
std::unique_ptr<ViewRedirect> redirectInsert(Executor& ex, const InsertStmt& stmt);
//! The same for DELETE.
std::unique_ptr<ViewRedirect> redirectDelete(Executor& ex, const DeleteStmt& stmt);

} // namespace tsql::engine
