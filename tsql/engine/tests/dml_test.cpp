#include "dml.h"
#include "errors.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tsql::engine {
namespace {

DuplicateFinder throwing(int number) {
    return [number](const ConstraintInfo&) -> std::string { throw SqlError::make(number, {"x", "y"}); };
}

// Reading the rows again may fail on the rows themselves (the key is then unknown); a fault of the engine or
// a busy database must reach the caller instead of turning into a duplicate key without its value.
TEST(DuplicateKeyTest, OnlyErrorsOfTheRowsLeaveTheKeyUnknown) {
    const ConstraintInfo key;
    EXPECT_EQ(duplicateKey({}, key), "");
    EXPECT_EQ(duplicateKey([](const ConstraintInfo&) { return std::string("(7)"); }, key), "(7)");
    EXPECT_EQ(duplicateKey(throwing(8114), key), "");
    EXPECT_EQ(duplicateKey(throwing(8115), key), "");
    for (int fault : {kInternalErrorNumber, kLockTimeoutNumber}) {
        try {
            duplicateKey(throwing(fault), key);
            ADD_FAILURE() << "error " << fault << " was swallowed";
        } catch (const SqlError& e) {
            EXPECT_EQ(e.number(), fault);
        }
    }
    EXPECT_THROW(
        duplicateKey([](const ConstraintInfo&) -> std::string { throw std::runtime_error("fault"); }, key),
        std::runtime_error);
}

} // namespace
} // namespace tsql::engine
