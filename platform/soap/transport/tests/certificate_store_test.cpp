#include "platform/soap/certificate_store.h"

#include "test_pki.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

namespace platform::soap {
namespace {

namespace fs = std::filesystem;
using testing::makeCa;
using testing::makeCertificate;
using testing::makePkcs12;
using testing::readText;

class CertificateStoreTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = std::make_unique<testing::TempFolder>();
        const fs::path root = folder_->path();
        const fs::path pki = root / "pki";
        fs::create_directories(pki);
        makeCa(pki, "plain", "/C=CZ/O=Firm/CN=Plain CA");
        makeCa(pki, "quoted", "/O=Acme/CN=Acme, s.r.o.");
        makeCertificate(pki, "combined", "plain", "/CN=clerk", "0A1B2C3D");
        makeCertificate(pki, "bundle", "quoted", "/CN=hr", "7F0102");
        makeCertificate(pki, "split", "plain", "/CN=split", "8F0001");
        makeCertificate(pki, "keyless", "plain", "/CN=keyless", "0B0B");
        makeCertificate(pki, "machine", "plain", "/CN=machine", "0D0D");
        makePkcs12(pki, "bundle");

        roots_.user = root / "user";
        roots_.machine = root / "machine";
        const fs::path my = roots_.user / "My";
        const fs::path ca = roots_.machine / "CA";
        fs::create_directories(my);
        fs::create_directories(ca);
        std::ofstream(my / "a-combined.pem")
            << readText(pki / "combined.pem") << readText(pki / "combined.key");
        fs::copy_file(pki / "bundle.p12", my / "b-bundle.p12");
        fs::copy_file(pki / "split.pem", my / "c-split.crt");
        fs::copy_file(pki / "split.key", my / "c-split.key");
        fs::copy_file(pki / "keyless.pem", my / "d-keyless.pem");
        std::ofstream(my / "readme.txt") << "not a certificate\n";
        std::ofstream(ca / "machine.pem") << readText(pki / "machine.pem") << readText(pki / "machine.key");
        pki_ = pki;
    }
    static void TearDownTestSuite() { folder_.reset(); }

    static inline std::unique_ptr<testing::TempFolder> folder_;
    static inline CertificateStoreRoots roots_;
    static inline fs::path pki_;
};

TEST_F(CertificateStoreTest, FindsTheMatchingCertificateWithItsKey) {
    struct Case {
        CertificateQuery query;
        const char* certificate; // file in pki_ whose certificate must be returned
    };
    const Case cases[] = {
        {{2, 0, "Plain CA", "0A1B2C3D"}, "combined.pem"},
        {{2, 0, "Acme, s.r.o.", "7F0102"}, "bundle.pem"}, // PKCS#12, quoted issuer with a comma
        {{2, 0, "Plain CA", "008F0001"}, "split.pem"},    // key in its own file; sign byte kept
        {{1, 1, "Plain CA", "0D0D"}, "machine.pem"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.certificate);
        const auto found = findClientCertificate(c.query, roots_);
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(found->certificatePem, readText(pki_ / c.certificate));
        EXPECT_NE(found->privateKeyPem.find("PRIVATE KEY"), std::string::npos);
    }
}

TEST_F(CertificateStoreTest, OtherLocationsOpenNoStore) {
    const CertificateStoreRoots nowhere{"/nonexistent/machine", "/nonexistent/user"};
    for (int location : {0, 3, -1}) {
        EXPECT_FALSE(findClientCertificate({location, 0, "Plain CA", "0A1B2C3D"}, nowhere).has_value());
    }
}

TEST_F(CertificateStoreTest, FailuresCarryTheTextsShownToUsers) {
    struct Case {
        CertificateQuery query;
        const char* message;
    };
    const Case cases[] = {
        {{2, 0, "Plain CA", "0a1b2c3d"}, "V úložišti My, nenalezen certifikát : SN=0a1b2c3d,CA=Plain CA"},
        {{2, 0, "plain ca", "0A1B2C3D"}, "V úložišti My, nenalezen certifikát : SN=0A1B2C3D,CA=plain ca"},
        {{2, 0, "Plain CA", "8F0001"}, "V úložišti My, nenalezen certifikát : SN=8F0001,CA=Plain CA"},
        {{2, 0, "Acme", "7F0102"}, "V úložišti My, nenalezen certifikát : SN=7F0102,CA=Acme"},
        {{2, 1, "Plain CA", "0A1B2C3D"}, "Nenalezeno úložiště certifikátů : 2 / 1"},
        {{2, 9, "Plain CA", "0A1B2C3D"}, "Nenalezeno úložiště certifikátů : 2 / 9"},
        {{1, 0, "Plain CA", "0A1B2C3D"}, "Nenalezeno úložiště certifikátů : 1 / 0"},
        {{2, 0, "Plain CA", "0B0B"}, "V úložišti My, certifikát SN=0B0B,CA=Plain CA nemá soukromý klíč"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        try {
            findClientCertificate(c.query, roots_);
            ADD_FAILURE() << "no error";
        } catch (const CertificateError& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

TEST_F(CertificateStoreTest, AllStoresOfALocationUnderTheWildcardName) {
    EXPECT_TRUE(findClientCertificate({2, 5, "Plain CA", "0A1B2C3D"}, roots_).has_value());
    EXPECT_TRUE(findClientCertificate({1, 5, "Plain CA", "0D0D"}, roots_).has_value());
}

TEST_F(CertificateStoreTest, HookSearchesTheStoreBeforeEveryRequest) {
    const fs::path store = roots_.user / "TRUST";
    const auto hook = certificateHook({2, 3, "Plain CA", "0A1B2C3D"}, roots_);
    EXPECT_THROW(hook(), CertificateError);
    fs::create_directories(store);
    fs::copy_file(roots_.user / "My" / "a-combined.pem", store / "a.pem");
    EXPECT_TRUE(hook().has_value());
    fs::remove_all(store);
    EXPECT_THROW(hook(), CertificateError);
}

TEST(IssuerCommonName, TakesTheCommonNameAsRendered) {
    struct Case {
        const char* rendered;
        const char* commonName;
    };
    const Case cases[] = {
        {"CN=Plain CA, O=Firm, C=CZ", "Plain CA"},
        {"CN=\"Acme, s.r.o.\", O=Acme", "Acme, s.r.o."},
        {"O=Firm, CN=Last", "Last"},
        {"CN=\"unterminated, O=Firm", "unterminated, O=Firm"},
        {"O=Firm, C=CZ", ""},
        {"CN=, O=Firm", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(issuerCommonNameOf(c.rendered), c.commonName) << c.rendered;
}

TEST(StoreNames, ByIndexAndEmptyOutsideTheTable) {
    const char* names[] = {"My", "CA", "ROOT", "TRUST", "AddressBook", "*"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(storeNameByIndex(i), names[i]);
    EXPECT_EQ(storeNameByIndex(6), "");
    EXPECT_EQ(storeNameByIndex(-1), "");
}

TEST(StoreRoots, EnvironmentOverridesAndDefaults) {
    ::setenv("QUELTA_CERTS_MACHINE_DIR", "/m", 1);
    ::setenv("QUELTA_CERTS_USER_DIR", "/u", 1);
    auto roots = CertificateStoreRoots::fromEnvironment();
    EXPECT_EQ(roots.machine, "/m");
    EXPECT_EQ(roots.user, "/u");
    ::unsetenv("QUELTA_CERTS_MACHINE_DIR");
    ::unsetenv("QUELTA_CERTS_USER_DIR");
    ::setenv("XDG_CONFIG_HOME", "/x", 1);
    roots = CertificateStoreRoots::fromEnvironment();
    EXPECT_EQ(roots.machine, "/etc/quelta/certs");
    EXPECT_EQ(roots.user, "/x/quelta/certs");
}

} // namespace
} // namespace platform::soap
