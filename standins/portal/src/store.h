#pragma once
//! What the Portal stand-in stores: records by class, each with a Portal id and the commit number of its
//! last change; one commit counter numbers every change of the whole Portal.

#include "quelta/portal/registry.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace standins::portal {

namespace soap = ::platform::soap;

//! A request the Portal refuses; sent back as a SOAP fault with this text.
class PortalFault : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

//! Records of every class; thread-safe.
class PortalStore {
public:
    //! The stored record of class `type` whose erpPk is `erpPk`.
    std::optional<soap::Record> findByErpPk(const soap::RecordType& type, const std::string& erpPk) const;
    //! The stored record of that class whose Portal id is `id`.
    std::optional<soap::Record> findById(const soap::RecordType& type, std::int64_t id) const;
    //! Stores `record` under `erpPk`: created with a new Portal id if new, replaced otherwise; new commit.
    void saveByErpPk(soap::Record record, const std::string& erpPk);
    //! The stored record of class `type` with Portal id `id` takes the values sent (members of the same
    //! name and type; an empty erpPk keeps the stored one); new commit.
    //! Throws PortalFault when there is none.
    void updateById(const soap::RecordType& type, const soap::Record& values, std::int64_t id);
    //! Stores a record under its own Portal id, given a new one when it has none; new commit.
    void saveById(soap::Record record);
    //! Removes the record; false when there was none.
    bool removeByErpPk(const soap::RecordType& type, const std::string& erpPk);
    bool removeById(const soap::RecordType& type, std::int64_t id);
    //! Records of that class changed after commit `after`, oldest change first; `state` filters by the
    //! "state" member when not empty.
    std::vector<soap::Record> changedSince(const soap::RecordType& type, std::int64_t after,
                                           const std::string& state = {}) const;

    //! Adds records as given (admin seeding): missing ids and commit numbers are assigned.
    void seed(std::vector<soap::Record> records);
    //! Every stored record in the order stored; `typeName` empty for all classes.
    std::vector<soap::Record> list(const std::string& typeName = {}) const;
    std::int64_t commit() const;
    void reset();

    //! The whole state as JSON, and back.
    nlohmann::ordered_json save() const;
    void load(const nlohmann::ordered_json& state);

private:
    struct Slot {
        soap::Record record;
        std::int64_t id;
    };
    std::vector<Slot>& classOf(const soap::RecordType& type);
    const std::vector<Slot>* findClass(const soap::RecordType& type) const;
    void stamp(soap::Record& record, std::int64_t id);
    void add(soap::Record record);

    mutable std::mutex mutex_;
    std::map<std::string, std::vector<Slot>> classes_;
    std::vector<std::string> classOrder_;
    std::int64_t commit_ = 0;
    std::int64_t nextId_ = 1;
};

//! The wire names of the Portal id, business key and commit number of a record type (empty when it has
//! no such member).
struct KeyMembers {
    std::string_view id;
    std::string_view erpPk;
    std::string_view commit;
};
KeyMembers keyMembersOf(const soap::RecordType& type);

//! Reads a record's Portal id (0 when unset).
std::int64_t idOf(const soap::Record& record);

} // namespace standins::portal
