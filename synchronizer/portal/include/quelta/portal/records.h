#pragma once
//! Typed records the workflows use, with members named as the Portal names them. Each lists its members once
//! for the conversions to and from generic records (typed_records.h); the registry tables stay the wire's
//! description, and a test compares every struct of this file with them (this file holds typed records only).

#include "quelta/portal/registry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelta {

//! Base of the Portal records: the Portal's identifier.
struct BaseDto {
    static constexpr std::string_view kTypeName = "BaseDto";
    std::int32_t portalId = 0;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        visit("portalId", self.portalId);
    }
};

//! Base of the exchanged records: change counter, host key and validity.
struct BaseExtendedDto : BaseDto {
    static constexpr std::string_view kTypeName = "BaseExtendedDto";
    std::int64_t commitNumber = 0;
    std::string erpPk;
    std::optional<soap::DateTime> validFrom;
    std::optional<soap::DateTime> validUntil;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseDto::Members(self, visit);
        visit("commitNumber", self.commitNumber);
        visit("erpPk", self.erpPk);
        visit("validFrom", self.validFrom);
        visit("validUntil", self.validUntil);
    }
};

//! A bank.
struct BankCodeDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "BankCodeDto";
    std::string code;
    std::string name;
    std::string swift;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("code", self.code);
        visit("name", self.name);
        visit("swift", self.swift);
    }
};

//! A profession.
struct CareerDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "CareerDto";
    std::string name;
    std::int32_t number = 0;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("name", self.name);
        visit("number", self.number);
    }
};

//! A citizenship.
struct CitizenshipDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "CitizenshipDto";
    std::string isoCode;
    std::string name;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("isoCode", self.isoCode);
        visit("name", self.name);
    }
};

//! A town.
struct CityDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "CityDto";
    std::string name;
    std::string zipCode;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("name", self.name);
        visit("zipCode", self.zipCode);
    }
};

//! A cost pool.
struct CostPootDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "CostPootDto";
    std::string name;
    std::string number;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("name", self.name);
        visit("number", self.number);
    }
};

//! A country.
struct CountryDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "CountryDto";
    std::string isoCode;
    std::string name;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("isoCode", self.isoCode);
        visit("name", self.name);
    }
};

//! A currency.
struct CurrencyDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "CurrencyDto";
    std::string code;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("code", self.code);
    }
};

//! A department.
struct DepartmentDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "DepartmentDto";
    std::string name;
    std::string number;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("name", self.name);
        visit("number", self.number);
    }
};

//! A type of employment relationship.
struct EmploymentTypeDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "EmploymentTypeDto";
    std::string name;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("name", self.name);
    }
};

//! A relationship of a family member.
struct FamilyRelationshipDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "FamilyRelationshipDto";
    std::string name;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("name", self.name);
    }
};

//! A health insurance office.
struct HealthInsuranceOfficeDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "HealthInsuranceOfficeDto";
    std::string code;
    std::string name;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("code", self.code);
        visit("name", self.name);
    }
};

//! A job order.
struct JobOrderDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "JobOrderDto";
    std::string name;
    std::string number;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("name", self.name);
        visit("number", self.number);
    }
};

//! A job title.
struct JobTitleDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "JobTitleDto";
    std::string name;
    std::int32_t number = 0;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("name", self.name);
        visit("number", self.number);
    }
};

//! A life insurance fund.
struct LifeInsuranceDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "LifeInsuranceDto";
    std::string code;
    std::string name;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("code", self.code);
        visit("name", self.name);
    }
};

//! A marital status.
struct MaritalStatusDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "MaritalStatusDto";
    std::string statusDescription;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("statusDescription", self.statusDescription);
    }
};

//! A pay-out method.
struct PayoutDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "PayoutDto";
    std::string name;
    std::int32_t number = 0;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("name", self.name);
        visit("number", self.number);
    }
};

//! A type of pension.
struct PensionRevenuesTypeDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "PensionRevenuesTypeDto";
    std::string description;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("description", self.description);
    }
};

//! A payroll period and its lock state.
struct PeriodDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "PeriodDto";
    std::optional<soap::DateTime> period;
    std::string state;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("period", self.period);
        visit("state", self.state);
    }
};

//! A salary type.
struct SalaryDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "SalaryDto";
    std::string name;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("name", self.name);
    }
};

//! A supplementary pension fund.
struct SupplementaryPensionInsuranceDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "SupplementaryPensionInsuranceDto";
    std::string code;
    std::string name;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("code", self.code);
        visit("name", self.name);
    }
};

//! A travel-order cost type.
struct TravelOrderCostTypeDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "TravelOrderCostTypeDto";
    std::string name;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("name", self.name);
    }
};

//! A vehicle.
struct VehicleDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "VehicleDto";
    std::string name;
    std::string vehicleMark;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("name", self.name);
        visit("vehicleMark", self.vehicleMark);
    }
};

//! An employee as the Portal keeps it.
struct EmployeeDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "EmployeeDto";
    double abbreviateVacancy = 0.0;
    std::string accountNumber;
    std::string allPreviousNames;
    double allowance = 0.0;
    double allowance2 = 0.0;
    double allowance3 = 0.0;
    double allowance4 = 0.0;
    double allowance5 = 0.0;
    bool annualAccounts = false;
    double averageSalary = 0.0;
    std::string bankCodeErpPk;
    std::string bankName;
    double basicSalary = 0.0;
    std::string birthNumber;
    std::string careerErpPk;
    std::string citizenshipErpPk;
    std::string costPootErpPk;
    std::optional<soap::DateTime> dateOfBirth;
    std::int32_t dayOfPractice = 0;
    std::string departmentErpPk;
    std::string email;
    bool employeeTax = false;
    std::optional<soap::DateTime> employmentEnd;
    std::optional<soap::DateTime> employmentStart;
    std::string employmentState;
    std::string employmentTypeErpPk;
    std::string foreName;
    double formerTimesVacancy = 0.0;
    bool haveAllowance = false;
    bool haveAllowance2 = false;
    bool haveAllowance3 = false;
    bool haveAllowance4 = false;
    bool haveAllowance5 = false;
    bool haveTaxCredit = false;
    std::string healthInsuranceOfficeErpPk;
    std::string iban;
    std::string identityCard;
    std::optional<soap::DateTime> identityCardValidTo;
    std::string jobOrderErpPk;
    std::string jobTitleErpPk;
    double leisureDependantDay = 0.0;
    double leisureDependantHour = 0.0;
    double leisureDoctorDay = 0.0;
    double leisureDoctorHour = 0.0;
    std::string lifeInsuranceErpPk;
    std::string maidenName;
    std::string maritalStatusErpPk;
    std::string passport;
    std::optional<soap::DateTime> passportValidTo;
    std::string payoutErpPk;
    std::string pensionRevenuesTypeErpPk;
    std::string periodErpPk;
    std::optional<soap::DateTime> periodOfProbation;
    std::string permanentAddressCityErpPk;
    std::string permanentAddressCountryErpPk;
    std::string permanentAddressDescriptiveNumber;
    std::string permanentAddressGuideNumber;
    std::string permanentAddressStreet;
    std::int64_t personalNumber = 0;
    std::string phone;
    std::optional<soap::Bytes> photo;
    std::string placeOfBirth;
    bool portalCreated = false;
    std::string postalAddressCityErpPk;
    std::string postalAddressCountryErpPk;
    std::string postalAddressDescriptiveNumber;
    std::string postalAddressGuideNumber;
    std::string postalAddressStreet;
    std::string residencePermisson;
    double residual = 0.0;
    double residualDependantDay = 0.0;
    double residualDependantHour = 0.0;
    double residualDoctorDay = 0.0;
    double residualDoctorHour = 0.0;
    std::optional<soap::DateTime> rightToPension;
    std::string salaryErpPk;
    std::string sex;
    double sickleaveAverage = 0.0;
    bool signedTaxDeclaration = false;
    std::string socialInssurance;
    double spentVacancy = 0.0;
    std::string supplementaryPensionInsuranceErpPk;
    std::string surname;
    double taxCredit = 0.0;
    std::string technicalSupportInsuranceErpPk;
    std::optional<soap::DateTime> temporaryEmployment;
    std::string title;
    bool twoPercentTax = false;
    double vacancy = 0.0;
    double workingTimeBasic = 0.0;
    double workingTimeChanged = 0.0;
    std::int32_t yearOfPractice = 0;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("abbreviateVacancy", self.abbreviateVacancy);
        visit("accountNumber", self.accountNumber);
        visit("allPreviousNames", self.allPreviousNames);
        visit("allowance", self.allowance);
        visit("allowance2", self.allowance2);
        visit("allowance3", self.allowance3);
        visit("allowance4", self.allowance4);
        visit("allowance5", self.allowance5);
        visit("annualAccounts", self.annualAccounts);
        visit("averageSalary", self.averageSalary);
        visit("bankCodeErpPk", self.bankCodeErpPk);
        visit("bankName", self.bankName);
        visit("basicSalary", self.basicSalary);
        visit("birthNumber", self.birthNumber);
        visit("careerErpPk", self.careerErpPk);
        visit("citizenshipErpPk", self.citizenshipErpPk);
        visit("costPootErpPk", self.costPootErpPk);
        visit("dateOfBirth", self.dateOfBirth);
        visit("dayOfPractice", self.dayOfPractice);
        visit("departmentErpPk", self.departmentErpPk);
        visit("email", self.email);
        visit("employeeTax", self.employeeTax);
        visit("employmentEnd", self.employmentEnd);
        visit("employmentStart", self.employmentStart);
        visit("employmentState", self.employmentState);
        visit("employmentTypeErpPk", self.employmentTypeErpPk);
        visit("foreName", self.foreName);
        visit("formerTimesVacancy", self.formerTimesVacancy);
        visit("haveAllowance", self.haveAllowance);
        visit("haveAllowance2", self.haveAllowance2);
        visit("haveAllowance3", self.haveAllowance3);
        visit("haveAllowance4", self.haveAllowance4);
        visit("haveAllowance5", self.haveAllowance5);
        visit("haveTaxCredit", self.haveTaxCredit);
        visit("healthInsuranceOfficeErpPk", self.healthInsuranceOfficeErpPk);
        visit("iban", self.iban);
        visit("identityCard", self.identityCard);
        visit("identityCardValidTo", self.identityCardValidTo);
        visit("jobOrderErpPk", self.jobOrderErpPk);
        visit("jobTitleErpPk", self.jobTitleErpPk);
        visit("leisureDependantDay", self.leisureDependantDay);
        visit("leisureDependantHour", self.leisureDependantHour);
        visit("leisureDoctorDay", self.leisureDoctorDay);
        visit("leisureDoctorHour", self.leisureDoctorHour);
        visit("lifeInsuranceErpPk", self.lifeInsuranceErpPk);
        visit("maidenName", self.maidenName);
        visit("maritalStatusErpPk", self.maritalStatusErpPk);
        visit("passport", self.passport);
        visit("passportValidTo", self.passportValidTo);
        visit("payoutErpPk", self.payoutErpPk);
        visit("pensionRevenuesTypeErpPk", self.pensionRevenuesTypeErpPk);
        visit("periodErpPk", self.periodErpPk);
        visit("periodOfProbation", self.periodOfProbation);
        visit("permanentAddressCityErpPk", self.permanentAddressCityErpPk);
        visit("permanentAddressCountryErpPk", self.permanentAddressCountryErpPk);
        visit("permanentAddressDescriptiveNumber", self.permanentAddressDescriptiveNumber);
        visit("permanentAddressGuideNumber", self.permanentAddressGuideNumber);
        visit("permanentAddressStreet", self.permanentAddressStreet);
        visit("personalNumber", self.personalNumber);
        visit("phone", self.phone);
        visit("photo", self.photo);
        visit("placeOfBirth", self.placeOfBirth);
        visit("portalCreated", self.portalCreated);
        visit("postalAddressCityErpPk", self.postalAddressCityErpPk);
        visit("postalAddressCountryErpPk", self.postalAddressCountryErpPk);
        visit("postalAddressDescriptiveNumber", self.postalAddressDescriptiveNumber);
        visit("postalAddressGuideNumber", self.postalAddressGuideNumber);
        visit("postalAddressStreet", self.postalAddressStreet);
        visit("residencePermisson", self.residencePermisson);
        visit("residual", self.residual);
        visit("residualDependantDay", self.residualDependantDay);
        visit("residualDependantHour", self.residualDependantHour);
        visit("residualDoctorDay", self.residualDoctorDay);
        visit("residualDoctorHour", self.residualDoctorHour);
        visit("rightToPension", self.rightToPension);
        visit("salaryErpPk", self.salaryErpPk);
        visit("sex", self.sex);
        visit("sickleaveAverage", self.sickleaveAverage);
        visit("signedTaxDeclaration", self.signedTaxDeclaration);
        visit("socialInssurance", self.socialInssurance);
        visit("spentVacancy", self.spentVacancy);
        visit("supplementaryPensionInsuranceErpPk", self.supplementaryPensionInsuranceErpPk);
        visit("surname", self.surname);
        visit("taxCredit", self.taxCredit);
        visit("technicalSupportInsuranceErpPk", self.technicalSupportInsuranceErpPk);
        visit("temporaryEmployment", self.temporaryEmployment);
        visit("title", self.title);
        visit("twoPercentTax", self.twoPercentTax);
        visit("vacancy", self.vacancy);
        visit("workingTimeBasic", self.workingTimeBasic);
        visit("workingTimeChanged", self.workingTimeChanged);
        visit("yearOfPractice", self.yearOfPractice);
    }
};

//! A family member of an employee.
struct FamilyMemberDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "FamilyMemberDto";
    std::optional<soap::DateTime> dateOfBirth;
    std::string employeeErpPk;
    std::string familyRelationshipErpPk;
    std::string foreName;
    std::string surname;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("dateOfBirth", self.dateOfBirth);
        visit("employeeErpPk", self.employeeErpPk);
        visit("familyRelationshipErpPk", self.familyRelationshipErpPk);
        visit("foreName", self.foreName);
        visit("surname", self.surname);
    }
};

//! The payroll calendars assigned to an employee.
struct EmployeeCalendarsDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "EmployeeCalendarsDto";
    std::string employeeErpPk;
    std::optional<std::vector<std::string>> payrollCalendarErpPk;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("employeeErpPk", self.employeeErpPk);
        visit("payrollCalendarErpPk", self.payrollCalendarErpPk);
    }
};

//! One payroll component.
struct PayrollComponentsTypeDto : BaseDto {
    static constexpr std::string_view kTypeName = "PayrollComponentsTypeDto";
    std::string code;
    std::string name;
    std::string type;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseDto::Members(self, visit);
        visit("code", self.code);
        visit("name", self.name);
        visit("type", self.type);
    }
};

//! A group of payroll components.
struct PayrollComponentsGroupDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "PayrollComponentsGroupDto";
    std::string groupType;
    std::string name;
    std::optional<std::vector<PayrollComponentsTypeDto>> types;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("groupType", self.groupType);
        visit("name", self.name);
        visit("types", self.types);
    }
};

//! A group used for absence entries.
struct PayrollComponentsGroupRecordDto : PayrollComponentsGroupDto {
    static constexpr std::string_view kTypeName = "PayrollComponentsGroupRecordDto";

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        PayrollComponentsGroupDto::Members(self, visit);
    }
};

//! A group used for cash-income entries.
struct PayrollComponentsGroupCashIncomeDto : PayrollComponentsGroupDto {
    static constexpr std::string_view kTypeName = "PayrollComponentsGroupCashIncomeDto";

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        PayrollComponentsGroupDto::Members(self, visit);
    }
};

//! A preprocess entry received from the Portal.
struct PreprocessDto {
    static constexpr std::string_view kTypeName = "PreprocessDto";
    double amount = 0.0;
    std::int64_t commitNumber = 0;
    std::string costPootErpPk;
    std::string departmentErpPk;
    std::string employeeErpPk;
    std::int32_t id = 0;
    std::string jobOrderErpPk;
    std::string payrollComponentsTypeCode;
    std::string periodErpPk;
    std::string state;
    std::string vehicleErpPk;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        visit("amount", self.amount);
        visit("commitNumber", self.commitNumber);
        visit("costPootErpPk", self.costPootErpPk);
        visit("departmentErpPk", self.departmentErpPk);
        visit("employeeErpPk", self.employeeErpPk);
        visit("id", self.id);
        visit("jobOrderErpPk", self.jobOrderErpPk);
        visit("payrollComponentsTypeCode", self.payrollComponentsTypeCode);
        visit("periodErpPk", self.periodErpPk);
        visit("state", self.state);
        visit("vehicleErpPk", self.vehicleErpPk);
    }
};

//! A cash-income entry received from the Portal.
struct CashIncomeDto : PreprocessDto {
    static constexpr std::string_view kTypeName = "CashIncomeDto";

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        PreprocessDto::Members(self, visit);
    }
};

//! An absence entry received from the Portal.
struct RecordDto : PreprocessDto {
    static constexpr std::string_view kTypeName = "RecordDto";
    std::optional<soap::DateTime> dateFrom;
    std::optional<soap::DateTime> dateTo;
    std::string halfDay;
    double hours = 0.0;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        PreprocessDto::Members(self, visit);
        visit("dateFrom", self.dateFrom);
        visit("dateTo", self.dateTo);
        visit("halfDay", self.halfDay);
        visit("hours", self.hours);
    }
};

//! Base of the preprocess entries sent to the Portal.
struct AbstractPreprocessDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "AbstractPreprocessDto";
    double amount = 0.0;
    std::string costPootErpPk;
    std::string departmentErpPk;
    std::string employeeErpPk;
    std::string jobOrderErpPk;
    std::string payrollComponentsTypeCode;
    std::string periodErpPk;
    std::string vehicleErpPk;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("amount", self.amount);
        visit("costPootErpPk", self.costPootErpPk);
        visit("departmentErpPk", self.departmentErpPk);
        visit("employeeErpPk", self.employeeErpPk);
        visit("jobOrderErpPk", self.jobOrderErpPk);
        visit("payrollComponentsTypeCode", self.payrollComponentsTypeCode);
        visit("periodErpPk", self.periodErpPk);
        visit("vehicleErpPk", self.vehicleErpPk);
    }
};

//! A cash-income entry sent to the Portal.
struct CashIncomesDto : AbstractPreprocessDto {
    static constexpr std::string_view kTypeName = "CashIncomesDto";

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        AbstractPreprocessDto::Members(self, visit);
    }
};

//! An absence entry sent to the Portal.
struct RecordsDto : AbstractPreprocessDto {
    static constexpr std::string_view kTypeName = "RecordsDto";
    std::optional<soap::DateTime> dateFrom;
    std::optional<soap::DateTime> dateTo;
    bool halfDay = false;
    double hours = 0.0;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        AbstractPreprocessDto::Members(self, visit);
        visit("dateFrom", self.dateFrom);
        visit("dateTo", self.dateTo);
        visit("halfDay", self.halfDay);
        visit("hours", self.hours);
    }
};

//! One day of a payroll calendar.
struct PayrollCalendarDayDto : BaseDto {
    static constexpr std::string_view kTypeName = "PayrollCalendarDayDto";
    std::optional<soap::DateTime> day;
    std::string dayType;
    std::string holidayType;
    double hours = 0.0;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseDto::Members(self, visit);
        visit("day", self.day);
        visit("dayType", self.dayType);
        visit("holidayType", self.holidayType);
        visit("hours", self.hours);
    }
};

//! A payroll calendar of one year with its days.
struct PayrollCalendarDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "PayrollCalendarDto";
    std::string calendarNumber;
    std::int64_t calendarSystemNumber = 0;
    std::optional<std::vector<PayrollCalendarDayDto>> days;
    std::int64_t year = 0;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("calendarNumber", self.calendarNumber);
        visit("calendarSystemNumber", self.calendarSystemNumber);
        visit("days", self.days);
        visit("year", self.year);
    }
};

//! The wage-slip documents of one employee for one year.
struct WageSlipDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "WageSlipDto";
    std::string employeeErpPk;
    std::optional<soap::Bytes> month0;
    std::optional<soap::Bytes> month1;
    std::optional<soap::Bytes> month10;
    std::optional<soap::Bytes> month11;
    std::optional<soap::Bytes> month2;
    std::optional<soap::Bytes> month3;
    std::optional<soap::Bytes> month4;
    std::optional<soap::Bytes> month5;
    std::optional<soap::Bytes> month6;
    std::optional<soap::Bytes> month7;
    std::optional<soap::Bytes> month8;
    std::optional<soap::Bytes> month9;
    std::int64_t yearOWageSlip = 0;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("employeeErpPk", self.employeeErpPk);
        visit("month0", self.month0);
        visit("month1", self.month1);
        visit("month10", self.month10);
        visit("month11", self.month11);
        visit("month2", self.month2);
        visit("month3", self.month3);
        visit("month4", self.month4);
        visit("month5", self.month5);
        visit("month6", self.month6);
        visit("month7", self.month7);
        visit("month8", self.month8);
        visit("month9", self.month9);
        visit("yearOWageSlip", self.yearOWageSlip);
    }
};

//! One leg of a journey.
struct TravelOrderItemDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "TravelOrderItemDto";
    std::string countryErpPk;
    std::string currencyErpPk;
    std::optional<soap::DateTime> endTime;
    std::string inputDestination;
    std::string itemType;
    std::string outputDestination;
    double pocketMoney = 0.0;
    std::optional<soap::DateTime> startTime;
    double subsistenceAllowance = 0.0;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("countryErpPk", self.countryErpPk);
        visit("currencyErpPk", self.currencyErpPk);
        visit("endTime", self.endTime);
        visit("inputDestination", self.inputDestination);
        visit("itemType", self.itemType);
        visit("outputDestination", self.outputDestination);
        visit("pocketMoney", self.pocketMoney);
        visit("startTime", self.startTime);
        visit("subsistenceAllowance", self.subsistenceAllowance);
    }
};

//! One cost item of a travel order.
struct TravelOrderCostDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "TravelOrderCostDto";
    double amount = 0.0;
    std::string currencyErpPk;
    std::string note;
    std::string travelOrderCostTypeErpPk;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("amount", self.amount);
        visit("currencyErpPk", self.currencyErpPk);
        visit("note", self.note);
        visit("travelOrderCostTypeErpPk", self.travelOrderCostTypeErpPk);
    }
};

//! One fuel purchase of a travel order.
struct TravelOrderFuelDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "TravelOrderFuelDto";
    std::string currencyErpPk;
    double numberOfLiters = 0.0;
    double pricePerLiter = 0.0;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("currencyErpPk", self.currencyErpPk);
        visit("numberOfLiters", self.numberOfLiters);
        visit("pricePerLiter", self.pricePerLiter);
    }
};

//! A travel order.
struct TravelOrderDto : BaseExtendedDto {
    static constexpr std::string_view kTypeName = "TravelOrderDto";
    std::int64_t accountantID = 0;
    std::string activityDestination;
    std::string address;
    std::int64_t approverID = 0;
    std::string company;
    double cost = 0.0;
    std::string costPoolErpPk;
    double costTotal = 0.0;
    std::optional<std::vector<TravelOrderCostDto>> costs;
    std::optional<soap::DateTime> createdAt;
    std::int64_t createdBy = 0;
    std::string departmentErpPk;
    double distanceForeign = 0.0;
    double distanceTotal = 0.0;
    std::string documentNumberErp;
    std::optional<soap::DateTime> endTime;
    std::optional<std::vector<TravelOrderFuelDto>> fuel;
    double fuelConsumption = 0.0;
    double fuelCost = 0.0;
    std::string inputDestination;
    std::optional<std::vector<TravelOrderItemDto>> items;
    std::string jobOrderErpPk;
    std::string modeOfTransport;
    std::string name;
    std::string note;
    std::string outputDestination;
    bool payInDomestic = false;
    std::int64_t personalNumber = 0;
    double pocketMoney = 0.0;
    bool privateCar = false;
    double privateCarCompensation = 0.0;
    std::optional<soap::DateTime> startTime;
    std::string state;
    std::string travelPurpose;
    std::string travelType;
    std::string vehicleErpPk;

    template <class Self, class Visit> static void Members(Self& self, Visit&& visit) {
        BaseExtendedDto::Members(self, visit);
        visit("accountantID", self.accountantID);
        visit("activityDestination", self.activityDestination);
        visit("address", self.address);
        visit("approverID", self.approverID);
        visit("company", self.company);
        visit("cost", self.cost);
        visit("costPoolErpPk", self.costPoolErpPk);
        visit("costTotal", self.costTotal);
        visit("costs", self.costs);
        visit("createdAt", self.createdAt);
        visit("createdBy", self.createdBy);
        visit("departmentErpPk", self.departmentErpPk);
        visit("distanceForeign", self.distanceForeign);
        visit("distanceTotal", self.distanceTotal);
        visit("documentNumberErp", self.documentNumberErp);
        visit("endTime", self.endTime);
        visit("fuel", self.fuel);
        visit("fuelConsumption", self.fuelConsumption);
        visit("fuelCost", self.fuelCost);
        visit("inputDestination", self.inputDestination);
        visit("items", self.items);
        visit("jobOrderErpPk", self.jobOrderErpPk);
        visit("modeOfTransport", self.modeOfTransport);
        visit("name", self.name);
        visit("note", self.note);
        visit("outputDestination", self.outputDestination);
        visit("payInDomestic", self.payInDomestic);
        visit("personalNumber", self.personalNumber);
        visit("pocketMoney", self.pocketMoney);
        visit("privateCar", self.privateCar);
        visit("privateCarCompensation", self.privateCarCompensation);
        visit("startTime", self.startTime);
        visit("state", self.state);
        visit("travelPurpose", self.travelPurpose);
        visit("travelType", self.travelType);
        visit("vehicleErpPk", self.vehicleErpPk);
    }
};

} // namespace quelta
