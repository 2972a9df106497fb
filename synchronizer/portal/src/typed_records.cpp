#include "quelta/portal/typed_records.h"

namespace quelta::detail {

const soap::MemberInfo& MemberOf(const soap::RecordType& type, std::string_view member) {
    if (const soap::MemberInfo* m = type.find(member)) return *m;
    throw std::logic_error("typed record " + type.name() + " names member " + std::string(member) +
                           " that the registry does not know");
}

} // namespace quelta::detail
