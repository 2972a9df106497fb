#include "demo_internal.h"

#include <stdexcept>

namespace standins::tarvik {

DemoCompany generateDemoCompany(const DemoOptions& options) {
    if (options.scale < 1)
        throw std::invalid_argument("The demo company's scale must be at least 1, not " +
                                    std::to_string(options.scale));
    DemoCompany company;
    company.options = options;
    demo::Context c{options, demo::Rng(options.seed), company};
    demo::addExtensionAttributes(c);
    demo::addCompanySettings(c);
    demo::addCodeLists(c);
    demo::addPayrollSetup(c);
    demo::addCalendars(c);
    demo::addEmployees(c);
    demo::addTravelDocuments(c);
    return company;
}

} // namespace standins::tarvik
