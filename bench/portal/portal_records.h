#pragma once
//! Realistic full records for the Portal benchmarks.

#include "quelta/portal/typed_records.h"

namespace bench_portal {

//! An employee with every member set and a 12 kB photograph.
inline quelta::EmployeeDto FullEmployee() {
    quelta::EmployeeDto e;
    e.erpPk = "1001";
    e.commitNumber = 4711;
    e.portalId = 88;
    e.personalNumber = 1001;
    e.title = "Ing.";
    e.foreName = "Jana";
    e.surname = "Nováková";
    e.maidenName = "Svobodová";
    e.allPreviousNames = "Svobodová, Dvořáková";
    e.birthNumber = "8551011234";
    e.placeOfBirth = "Brno";
    e.dateOfBirth = platform::soap::DateTime::date(1985, 5, 10);
    e.email = "jana.novakova@example.cz";
    e.phone = "+420 601 234 567";
    e.sex = "FEMALE";
    e.employmentState = "INSTATE";
    e.employmentStart = platform::soap::DateTime::date(2010, 1, 1);
    e.employmentEnd = platform::soap::DateTime::date(2030, 12, 31);
    e.temporaryEmployment = e.employmentEnd;
    e.periodOfProbation = platform::soap::DateTime::date(2010, 3, 31);
    e.identityCard = "123456789";
    e.identityCardValidTo = platform::soap::DateTime::date(2029, 8, 1);
    e.passport = "98765432";
    e.passportValidTo = platform::soap::DateTime::date(2031, 2, 1);
    e.rightToPension = platform::soap::DateTime::date(2050, 5, 10);
    e.accountNumber = "19-2000145399";
    e.bankName = "Česká spořitelna";
    e.iban = "CZ6508000000192000145399";
    for (auto* key :
         {&e.bankCodeErpPk, &e.careerErpPk, &e.citizenshipErpPk, &e.costPootErpPk, &e.departmentErpPk,
          &e.employmentTypeErpPk, &e.healthInsuranceOfficeErpPk, &e.jobOrderErpPk, &e.jobTitleErpPk,
          &e.lifeInsuranceErpPk, &e.maritalStatusErpPk, &e.payoutErpPk, &e.pensionRevenuesTypeErpPk,
          &e.periodErpPk, &e.salaryErpPk, &e.supplementaryPensionInsuranceErpPk,
          &e.technicalSupportInsuranceErpPk, &e.residencePermisson, &e.socialInssurance})
        *key = "KEY-0815";
    e.permanentAddressStreet = e.postalAddressStreet = "Údolní";
    e.permanentAddressDescriptiveNumber = e.postalAddressDescriptiveNumber = "1234";
    e.permanentAddressGuideNumber = e.postalAddressGuideNumber = "15a";
    e.permanentAddressCityErpPk = e.postalAddressCityErpPk = "60200";
    e.permanentAddressCountryErpPk = e.postalAddressCountryErpPk = "CZ";
    double x = 1.25;
    for (auto* d : {&e.abbreviateVacancy,
                    &e.allowance,
                    &e.allowance2,
                    &e.allowance3,
                    &e.allowance4,
                    &e.allowance5,
                    &e.averageSalary,
                    &e.basicSalary,
                    &e.formerTimesVacancy,
                    &e.leisureDependantDay,
                    &e.leisureDependantHour,
                    &e.leisureDoctorDay,
                    &e.leisureDoctorHour,
                    &e.residual,
                    &e.residualDependantDay,
                    &e.residualDependantHour,
                    &e.residualDoctorDay,
                    &e.residualDoctorHour,
                    &e.sickleaveAverage,
                    &e.spentVacancy,
                    &e.taxCredit,
                    &e.vacancy,
                    &e.workingTimeBasic,
                    &e.workingTimeChanged})
        *d = (x += 1017.3);
    e.annualAccounts = e.haveAllowance = e.signedTaxDeclaration = e.portalCreated = true;
    e.dayOfPractice = 120;
    e.yearOfPractice = 14;
    platform::soap::Bytes photo(12 * 1024);
    for (std::size_t i = 0; i < photo.size(); ++i)
        photo[i] = static_cast<std::uint8_t>(i * 131 + 7);
    e.photo = std::move(photo);
    return e;
}

//! A payroll calendar with every day of 2024 but one (365 days).
inline quelta::PayrollCalendarDto Calendar365() {
    quelta::PayrollCalendarDto c;
    c.erpPk = "K-2024";
    c.calendarNumber = "1";
    c.calendarSystemNumber = 1;
    c.year = 2024;
    c.days.emplace();
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int weekday = 0;
    for (int m = 1; m <= 12; ++m)
        for (int d = 1; d <= kDays[m - 1] && c.days->size() < 365; ++d, weekday = (weekday + 1) % 7) {
            quelta::PayrollCalendarDayDto day;
            day.day = platform::soap::DateTime::date(2024, m, d);
            day.dayType = weekday < 5 ? "WORKDAY" : "WEEKEND";
            day.holidayType = "";
            day.hours = weekday < 5 ? 8.0 : 0.0;
            c.days->push_back(day);
        }
    return c;
}

} // namespace bench_portal
