#include "quelta/portal/client_options.h"

#include <gtest/gtest.h>

#include <map>

namespace quelta {
namespace {

IniLookup From(std::map<std::string, std::string> values) {
    return [values = std::move(values)](std::string_view key) -> std::optional<std::string> {
        auto it = values.find(std::string(key));
        if (it == values.end()) return std::nullopt;
        return it->second;
    };
}

TEST(PortalClientOptions, DefaultsAndOverrides) {
    const PortalClientOptions defaults = PortalClientOptionsFromIni(From({}));
    EXPECT_EQ(defaults.connectTimeoutSeconds, 30);
    EXPECT_EQ(defaults.timeoutSeconds, 120);
    EXPECT_EQ(defaults.namespaces.data, PortalNamespaces{}.data);

    const PortalClientOptions set =
        PortalClientOptionsFromIni(From({{"connecttimeout", " 5 "},
                                         {"timeout", "600"},
                                         {"datanamespace", "http://portal.example/dto"},
                                         {"servicenamespace", ""}}));
    EXPECT_EQ(set.connectTimeoutSeconds, 5);
    EXPECT_EQ(set.timeoutSeconds, 600);
    EXPECT_EQ(set.namespaces.data, "http://portal.example/dto");
    EXPECT_EQ(set.namespaces.service, PortalNamespaces{}.service);
}

TEST(PortalClientOptions, UnusableTimeOutsAreRefused) {
    for (const char* bad : {"0", "-1", "ten", "30s", "86401", "99999999999999999999"}) {
        try {
            PortalClientOptionsFromIni(From({{"timeout", bad}}));
            ADD_FAILURE() << bad;
        } catch (const EPortalConfiguration& e) {
            EXPECT_NE(std::string(e.what()).find("key timeout"), std::string::npos) << e.what();
        }
    }
}

TEST(PortalClientOptions, FactoryCreatesTheClientWithoutContactingThePortal) {
    const EndpointFactory factory = MakePortalEndpointFactory(PortalClientOptionsFromIni(From({})));
    PortalSettings settings;
    settings.url = "http://127.0.0.1:9/unused";
    EXPECT_NE(factory(settings), nullptr);
}

} // namespace
} // namespace quelta
