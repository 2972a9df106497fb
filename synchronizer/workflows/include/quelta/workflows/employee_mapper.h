#pragma once
//! TEmployee: the mapper of the code list "employee". It fetches the employee's record from the Portal and
//! overwrites it with the host's values, so members the host does not supply keep the Portal's values.

#include "quelta/workflows/code_list_mappers.h"

#include <functional>
#include <string>

namespace quelta {

//! Where the row of the employee mapper comes from.
enum class EmployeeMode : std::uint8_t {
    Upload, //!< the upload query over the host's staff and payroll tables, keyed by employee number
    Save,   //!< a staged employee of TabQUELTAZamPortal, keyed by its Portal id
};

//! The employee mapper.
class TEmployee : public TList {
public:
    //! `extraConnector` gives the connector for the mapper's own queries (previous surnames, tax reliefs)
    //! while the row's connector is iterating; it is asked only in upload mode.
    TEmployee(EmployeeMode mode, const std::string& legislation, RpcKvaEndpoint& service,
              std::function<TDBConnector&()> extraConnector);

    soap::Record setProperties(TDBConnector& db) override;

    EmployeeMode Mode() const { return mode_; }

private:
    //! From the open result of the employee's previous surnames.
    void setPreviousSurnames(soap::Record& record, const TDBConnector& surnames);
    //! From the open result of the employee's tax reliefs, read to its end.
    void setTaxReliefs(soap::Record& record, TDBConnector& reliefs);

    EmployeeMode mode_;
    std::string legislation_;
    RpcKvaEndpoint& service_;
    std::function<TDBConnector&()> extraConnector_;
};

//! The batch giving an employee's previous surnames, in order, as one text ("DrivejsiPrijmeni").
std::string PreviousSurnamesBatch(std::int32_t employeeId);

//! The previous-surnames batch followed by the employee's tax-relief amounts of the current period by symbol
//! ("Symbol", "Castka"): two result sets.
std::string PreviousSurnamesAndTaxReliefsBatch(std::int32_t employeeId);

} // namespace quelta
