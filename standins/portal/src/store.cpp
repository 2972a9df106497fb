#include "store.h"

#include "standins/portal/record_json.h"

#include <algorithm>

namespace standins::portal {

namespace {

struct KeyMembersRow {
    std::string_view base;
    KeyMembers members;
};

constexpr KeyMembersRow kKeyMembers[] = {
    {"BaseDto", {"portalId", "erpPk", "commitNumber"}},
    {"PreprocessDto", {"id", "", "commitNumber"}},
    {"Model", {"id", "erpPk", "commitNumber"}},
    {"EmployeeCalendarDto", {"", "erpPk", ""}},
};

const soap::MemberInfo* member(const soap::RecordType& type, std::string_view name) {
    return name.empty() ? nullptr : type.find(name);
}

std::int64_t readNumber(const soap::Record& record, std::string_view name) {
    const soap::MemberInfo* info = member(record.type(), name);
    if (!info) return 0;
    const soap::Value& v = record.at(info->index);
    if (v.kind() == soap::Value::Kind::Int) return v.asInt();
    if (v.kind() == soap::Value::Kind::Long) return v.asLong();
    return 0;
}

void writeNumber(soap::Record& record, std::string_view name, std::int64_t n) {
    const soap::MemberInfo* info = member(record.type(), name);
    if (!info) return;
    if (info->type.scalar == soap::Scalar::Int)
        record.mutableAt(info->index) = soap::Value(static_cast<std::int32_t>(n));
    else if (info->type.scalar == soap::Scalar::Long)
        record.mutableAt(info->index) = soap::Value(n);
}

std::string readErpPk(const soap::Record& record) {
    const soap::MemberInfo* info = member(record.type(), keyMembersOf(record.type()).erpPk);
    if (!info) return {};
    const soap::Value& v = record.at(info->index);
    return v.kind() == soap::Value::Kind::String ? v.asString() : std::string();
}

} // namespace

KeyMembers keyMembersOf(const soap::RecordType& type) {
    for (const auto& row : kKeyMembers) {
        const soap::RecordType* base = quelta::PortalRegistry().findRecord(row.base);
        if (base && type.isA(*base)) return row.members;
    }
    return {};
}

std::int64_t idOf(const soap::Record& record) {
    return readNumber(record, keyMembersOf(record.type()).id);
}

std::vector<PortalStore::Slot>& PortalStore::classOf(const soap::RecordType& type) {
    auto [it, inserted] = classes_.try_emplace(type.name());
    if (inserted) classOrder_.push_back(type.name());
    return it->second;
}

const std::vector<PortalStore::Slot>* PortalStore::findClass(const soap::RecordType& type) const {
    const auto it = classes_.find(type.name());
    return it == classes_.end() ? nullptr : &it->second;
}

void PortalStore::stamp(soap::Record& record, std::int64_t id) {
    const KeyMembers keys = keyMembersOf(record.type());
    writeNumber(record, keys.id, id);
    writeNumber(record, keys.commit, ++commit_);
}

std::optional<soap::Record> PortalStore::findByErpPk(const soap::RecordType& type,
                                                     const std::string& erpPk) const {
    std::lock_guard lock(mutex_);
    if (const auto* slots = findClass(type))
        for (const auto& slot : *slots)
            if (readErpPk(slot.record) == erpPk) return slot.record;
    return std::nullopt;
}

std::optional<soap::Record> PortalStore::findById(const soap::RecordType& type, std::int64_t id) const {
    std::lock_guard lock(mutex_);
    if (const auto* slots = findClass(type))
        for (const auto& slot : *slots)
            if (slot.id == id) return slot.record;
    return std::nullopt;
}

void PortalStore::saveByErpPk(soap::Record record, const std::string& erpPk) {
    std::lock_guard lock(mutex_);
    if (const soap::MemberInfo* info = member(record.type(), keyMembersOf(record.type()).erpPk))
        record.mutableAt(info->index) = soap::Value(erpPk);
    auto& slots = classOf(record.type());
    const auto it = std::find_if(slots.begin(), slots.end(),
                                 [&](const Slot& slot) { return readErpPk(slot.record) == erpPk; });
    if (it != slots.end()) {
        stamp(record, it->id);
        it->record = std::move(record);
        return;
    }
    const std::int64_t id = nextId_++;
    stamp(record, id);
    slots.push_back({std::move(record), id});
}

void PortalStore::updateById(const soap::RecordType& type, const soap::Record& values, std::int64_t id) {
    std::lock_guard lock(mutex_);
    auto& slots = classOf(type);
    const auto it = std::find_if(slots.begin(), slots.end(), [&](const Slot& slot) { return slot.id == id; });
    if (it == slots.end())
        throw PortalFault("No " + type.name() + " with Portal id " + std::to_string(id) + " is stored");
    const KeyMembers keys = keyMembersOf(type);
    const KeyMembers sentKeys = keyMembersOf(values.type());
    soap::Record& stored = it->record;
    for (const auto& sent : values.type().members()) {
        if (sent.name == sentKeys.id || sent.name == sentKeys.commit) continue;
        const soap::MemberInfo* target = type.find(sent.name);
        if (!target || target->type != sent.type || target->name == keys.id) continue;
        const soap::Value& value = values.at(sent.index);
        if (value.isAbsent()) continue;
        if (target->name == keys.erpPk && value.kind() == soap::Value::Kind::String &&
            value.asString().empty())
            continue;
        stored.mutableAt(target->index) = value;
    }
    stamp(stored, id);
}

void PortalStore::saveById(soap::Record record) {
    std::lock_guard lock(mutex_);
    std::int64_t id = idOf(record);
    auto& slots = classOf(record.type());
    const auto it = std::find_if(slots.begin(), slots.end(), [&](const Slot& slot) { return slot.id == id; });
    if (id != 0 && it != slots.end()) {
        stamp(record, id);
        it->record = std::move(record);
        return;
    }
    if (id == 0) id = nextId_++;
    nextId_ = std::max(nextId_, id + 1);
    stamp(record, id);
    slots.push_back({std::move(record), id});
}

bool PortalStore::removeByErpPk(const soap::RecordType& type, const std::string& erpPk) {
    std::lock_guard lock(mutex_);
    auto& slots = classOf(type);
    const auto removed =
        std::erase_if(slots, [&](const Slot& slot) { return readErpPk(slot.record) == erpPk; });
    if (removed) ++commit_;
    return removed > 0;
}

bool PortalStore::removeById(const soap::RecordType& type, std::int64_t id) {
    std::lock_guard lock(mutex_);
    auto& slots = classOf(type);
    const auto removed = std::erase_if(slots, [&](const Slot& slot) { return slot.id == id; });
    if (removed) ++commit_;
    return removed > 0;
}

std::vector<soap::Record> PortalStore::changedSince(const soap::RecordType& type, std::int64_t after,
                                                    const std::string& state) const {
    std::lock_guard lock(mutex_);
    std::vector<soap::Record> changed;
    const auto* slots = findClass(type);
    if (!slots) return changed;
    const std::string_view commitMember = keyMembersOf(type).commit;
    for (const auto& slot : *slots) {
        if (readNumber(slot.record, commitMember) <= after) continue;
        if (!state.empty() && slot.record.getString("state") != state) continue;
        changed.push_back(slot.record);
    }
    std::stable_sort(changed.begin(), changed.end(), [&](const soap::Record& a, const soap::Record& b) {
        return readNumber(a, commitMember) < readNumber(b, commitMember);
    });
    return changed;
}

void PortalStore::add(soap::Record record) {
    const KeyMembers keys = keyMembersOf(record.type());
    std::int64_t id = readNumber(record, keys.id);
    if (id == 0) {
        id = nextId_;
        writeNumber(record, keys.id, id);
    }
    nextId_ = std::max(nextId_, id + 1);
    const std::int64_t commit = readNumber(record, keys.commit);
    if (commit == 0)
        writeNumber(record, keys.commit, ++commit_);
    else
        commit_ = std::max(commit_, commit);
    auto& slots = classOf(record.type());
    std::erase_if(slots, [&](const Slot& slot) { return slot.id == id; });
    slots.push_back({std::move(record), id});
}

void PortalStore::seed(std::vector<soap::Record> records) {
    std::lock_guard lock(mutex_);
    for (auto& record : records)
        add(std::move(record));
}

std::vector<soap::Record> PortalStore::list(const std::string& typeName) const {
    std::lock_guard lock(mutex_);
    std::vector<soap::Record> records;
    for (const auto& name : classOrder_) {
        if (!typeName.empty() && name != typeName) continue;
        for (const auto& slot : classes_.at(name))
            records.push_back(slot.record);
    }
    return records;
}

std::int64_t PortalStore::commit() const {
    std::lock_guard lock(mutex_);
    return commit_;
}

void PortalStore::reset() {
    std::lock_guard lock(mutex_);
    classes_.clear();
    classOrder_.clear();
    commit_ = 0;
    nextId_ = 1;
}

nlohmann::ordered_json PortalStore::save() const {
    nlohmann::ordered_json records = nlohmann::ordered_json::array();
    for (const auto& record : list())
        records.push_back(toJson(soap::Value(record)));
    std::lock_guard lock(mutex_);
    return {{"commit", commit_}, {"nextId", nextId_}, {"records", records}};
}

void PortalStore::load(const nlohmann::ordered_json& state) {
    if (!state.is_object()) throw JsonValueError("a saved Portal state is a JSON object");
    std::vector<soap::Record> records;
    for (const auto& item : state.value("records", nlohmann::ordered_json::array()))
        records.push_back(recordFromJson(item));
    std::lock_guard lock(mutex_);
    classes_.clear();
    classOrder_.clear();
    commit_ = 0;
    nextId_ = 1;
    for (auto& record : records)
        add(std::move(record));
    commit_ = std::max(commit_, state.value("commit", std::int64_t{0}));
    nextId_ = std::max(nextId_, state.value("nextId", std::int64_t{1}));
}

} // namespace standins::portal
