#include "plugin/definitions/sql_objects.h"

namespace plugin {
namespace {

// The texts of the procedures and triggers join these lists; entry 0 stays empty.
constexpr TplgUlozenaProcedura kUlozeneProcedury[] = {{}};
constexpr TplgUzivatelskaFunkce kUzivatelskeFunkce[] = {{}};
constexpr TplgExterniTrigger kExterniTriggery[] = {{}};

} // namespace

std::span<const TplgUlozenaProcedura> UlozeneProcedury() {
    return kUlozeneProcedury;
}
std::span<const TplgUzivatelskaFunkce> UzivatelskeFunkce() {
    return kUzivatelskeFunkce;
}
std::span<const TplgExterniTrigger> ExterniTriggery() {
    return kExterniTriggery;
}

} // namespace plugin
