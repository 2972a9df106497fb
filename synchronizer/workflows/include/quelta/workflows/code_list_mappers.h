#pragma once
//! The code-list mappers: for every code list the upload can send, the host query, the host key column and
//! how the current row becomes a Portal record. One static table describes them; generic code reads it.

#include "quelta/db_connector.h"
#include "quelta/portal/endpoint.h"
#include "quelta/workflows/record_fill.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace quelta {

//! Base of the mappers.
class TList {
public:
    virtual ~TList() = default;
    //! A new Portal record filled from the current row of db's open result; db is not advanced.
    virtual soap::Record setProperties(TDBConnector& db) = 0;

    std::string id;    //!< host key column of the code list (the deletion step reads "t." + id)
    std::string query; //!< host query yielding one row per record
};

//! How a mapper builds its record.
enum class MapperKind : std::uint8_t {
    Columns,  //!< a new record filled from the columns of the row (TCodeList)
    Period,   //!< the Portal's record of the period, or a new one, with date and lock state (TPeriod)
    Employee, //!< the employee mapper (TEmployee)
};

//! One code list of the upload.
struct CodeListDef {
    std::string_view code;       //!< synchronization code, compared exactly
    std::string_view mapper;     //!< the mapper's name
    std::string_view keyColumn;  //!< TList::id
    std::string_view recordType; //!< Portal record type
    bool deletesOnPortal;        //!< deletions of the delete log are sent for this code
    MapperKind kind;
    std::string_view query;                 //!< host query (Czech legislation, or both)
    std::string_view querySK;               //!< host query for Slovak legislation; empty: `query`
    std::span<const ColumnBinding> members; //!< members filled from columns (read strictly)
};

//! Every code list in the order of the mapper table.
std::span<const CodeListDef> CodeListMappers();

//! The code list of that code (exact, case-sensitive), or nullptr.
const CodeListDef* FindCodeListMapper(std::string_view code);

//! A code-list mapper that fills a new record from the row's columns.
class TCodeList : public TList {
public:
    //! `legislation` "SK" selects the Slovak query where there is one.
    TCodeList(const CodeListDef& def, const std::string& legislation);
    soap::Record setProperties(TDBConnector& db) override;

protected:
    const CodeListDef& def_;
};

//! The periods: the record the Portal holds for the period (keeping its id, commit number and validity) or a
//! new one, with the first day of the month and the lock state.
class TPeriod : public TCodeList {
public:
    TPeriod(const CodeListDef& def, const std::string& legislation, RpcKvaEndpoint& service);
    soap::Record setProperties(TDBConnector& db) override;

private:
    RpcKvaEndpoint& service_;
};

} // namespace quelta
