#include "errors.h"
#include "exec.h"

namespace tsql::engine {

namespace {

//! Errors a CATCH block receives: severity 11 to 19, except faults of the engine itself.
bool catchable(const SqlError& e) {
    return e.severity() > 10 && e.severity() < 20 && e.number() != kInternalErrorNumber;
}

} // namespace

std::size_t Executor::tryAt(std::size_t pc) const {
    // Regions are listed outer before inner: the last one holding pc is the innermost.
    for (std::size_t r = program_->tries.size(); r-- > 0;)
        if (pc >= program_->tries[r].tryStart && pc < program_->tries[r].tryEnd) return r;
    return kNoRegion;
}

void Executor::leaveCatches(std::size_t pc) {
    while (!catching_.empty()) {
        const TryRegion& r = program_->tries[catching_.back()];
        if (pc >= r.catchStart && pc < r.catchEnd) return;
        catching_.pop_back();
        s_.caught.pop_back();
    }
}

std::size_t Executor::enterCatch(std::size_t region, const SqlError& error, bool dooms) {
    s_.error = error.number();
    if (dooms && s_.tranCount > 0) s_.doomed = true;
    const std::size_t start = program_->tries[region].catchStart;
    leaveCatches(start);
    catching_.push_back(region);
    s_.caught.push_back(error);
    return start;
}

bool Executor::handleError(SqlError& e, const Instruction& in, std::size_t region, std::size_t& pc) {
    if (e.line() == 0) e.setLine(in.line);
    e.setProcedure(module_);
    // What RAISERROR raises ends nothing below severity 20, not even under XACT_ABORT.
    const bool raised = in.stmt && in.stmt->kind == StmtKind::Raiserror && e.severity() < 20;
    const ErrorEnds ends = raised ? ErrorEnds::Statement : endsOf(e);
    if (catchable(e)) {
        // Errors of compiling a statement are caught only by the TRY blocks of callers.
        const bool dooms = kind_ == ScopeKind::Trigger || (s_.xactAbort && !raised);
        if (region != kNoRegion && ends != ErrorEnds::Scope) {
            pc = enterCatch(region, e, dooms);
            return true;
        }
        if (s_.tryDepth > (region != kNoRegion ? 1 : 0)) throw UnwindToCatch{e, dooms};
    }
    report(e);
    if (ends != ErrorEnds::Statement || abortsOnError(e, in)) {
        aborted_ = true;
        scopeOnly_ = !abortsOnError(e, in) && ends == ErrorEnds::Scope;
        if (s_.xactAbort) rollbackAll();
        return false;
    }
    pc = in.op == Instruction::Op::JumpIfNot ? in.failTarget : pc + 1;
    return true;
}

void Executor::compileError(SqlError& e) {
    e.setProcedure(module_);
    // A procedure or dynamic batch that does not compile is an error of a lower scope for a caller's
    // TRY block; a batch's own TRY blocks never see it.
    if (catchable(e) && s_.tryDepth > 0) throw UnwindToCatch{e, false};
    report(e);
    aborted_ = true;
    scopeOnly_ = true;
}

} // namespace tsql::engine
