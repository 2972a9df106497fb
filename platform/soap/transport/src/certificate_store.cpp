#include "platform/soap/certificate_store.h"

#include "store_folder.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/pem.h>
#include <openssl/pkcs12.h>
#include <openssl/x509.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <system_error>
#include <vector>

namespace platform::soap {

namespace {

using detail::BioPtr;
using detail::openStore;

constexpr std::string_view kStoreNames[] = {"My", "CA", "ROOT", "TRUST", "AddressBook", "*"};

//! Short attribute names as the issuer is rendered for matching.
struct AttributeName {
    int nid;
    std::string_view name;
};

constexpr AttributeName kAttributeNames[] = {
    {NID_commonName, "CN"},
    {NID_organizationName, "O"},
    {NID_organizationalUnitName, "OU"},
    {NID_countryName, "C"},
    {NID_localityName, "L"},
    {NID_stateOrProvinceName, "S"},
    {NID_streetAddress, "STREET"},
    {NID_pkcs9_emailAddress, "E"},
    {NID_domainComponent, "DC"},
    {NID_serialNumber, "SERIALNUMBER"},
    {NID_title, "T"},
    {NID_givenName, "G"},
    {NID_surname, "SN"},
};

std::string format(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string text;
    auto value = values.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's' && value != values.end()) {
            text += *value++;
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

// Never prompt on the terminal for a pass phrase: encrypted keys are unusable here.

//! Serial number as stored in the certificate (two's complement bytes), upper-case hex, two digits a byte.
std::string serialHex(X509* cert) {
    const ASN1_INTEGER* serial = X509_get0_serialNumber(cert);
    unsigned char* der = nullptr;
    const int length = i2d_ASN1_INTEGER(serial, &der);
    if (length <= 2) {
        OPENSSL_free(der);
        return {};
    }
    // Skip the tag and the (short or long form) length of the DER encoding.
    size_t offset = 2;
    if (der[1] & 0x80) offset += der[1] & 0x7f;
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (size_t i = offset; i < static_cast<size_t>(length); ++i) {
        hex += kDigits[der[i] >> 4];
        hex += kDigits[der[i] & 0x0f];
    }
    OPENSSL_free(der);
    return hex;
}

bool needsQuotes(std::string_view value) {
    if (value.empty()) return true;
    if (value.front() == ' ' || value.back() == ' ') return true;
    return value.find_first_of(",+=\"\n<>#;") != std::string_view::npos;
}

//! The issuer as an X.500 string, most specific part first ("CN=Issuing CA, O=Firm, C=CZ").
std::string renderIssuer(X509* cert) {
    const X509_NAME* name = X509_get_issuer_name(cert);
    std::string text;
    for (int i = X509_NAME_entry_count(name) - 1; i >= 0; --i) {
        const X509_NAME_ENTRY* entry = X509_NAME_get_entry(name, i);
        const int nid = OBJ_obj2nid(X509_NAME_ENTRY_get_object(entry));
        std::string key;
        for (const auto& attribute : kAttributeNames)
            if (attribute.nid == nid) key = attribute.name;
        if (key.empty()) {
            char oid[128];
            OBJ_obj2txt(oid, sizeof oid, X509_NAME_ENTRY_get_object(entry), 1);
            key = std::string("OID.") + oid;
        }
        unsigned char* utf8 = nullptr;
        const int length = ASN1_STRING_to_UTF8(&utf8, X509_NAME_ENTRY_get_data(entry));
        std::string value =
            length >= 0 ? std::string(reinterpret_cast<char*>(utf8), static_cast<size_t>(length)) : "";
        OPENSSL_free(utf8);
        if (needsQuotes(value)) {
            std::string quoted = "\"";
            for (char c : value) {
                quoted += c;
                if (c == '"') quoted += '"';
            }
            value = quoted + "\"";
        }
        if (!text.empty()) text += ", ";
        text += key + "=" + value;
    }
    return text;
}

std::string toPem(X509* cert) {
    BioPtr bio(BIO_new(BIO_s_mem()));
    PEM_write_bio_X509(bio.get(), cert);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return {data, static_cast<size_t>(size)};
}

std::string toPem(EVP_PKEY* key) {
    BioPtr bio(BIO_new(BIO_s_mem()));
    PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return {data, static_cast<size_t>(size)};
}

std::filesystem::path environmentPath(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? std::filesystem::path(value) : std::filesystem::path();
}

} // namespace

CertificateStoreRoots CertificateStoreRoots::fromEnvironment() {
    CertificateStoreRoots roots;
    roots.machine = environmentPath("QUELTA_CERTS_MACHINE_DIR");
    if (roots.machine.empty()) roots.machine = "/etc/quelta/certs";
    roots.user = environmentPath("QUELTA_CERTS_USER_DIR");
    if (roots.user.empty()) {
        std::filesystem::path config = environmentPath("XDG_CONFIG_HOME");
        if (config.empty()) {
            const auto home = environmentPath("HOME");
            config = home.empty() ? std::filesystem::path(".config") : home / ".config";
        }
        roots.user = config / "quelta" / "certs";
    }
    return roots;
}

std::string_view storeNameByIndex(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kStoreNames))) return {};
    return kStoreNames[index];
}

std::string issuerCommonNameOf(std::string_view renderedIssuer) {
    const size_t cn = renderedIssuer.find("CN=");
    if (cn == std::string_view::npos) return {};
    std::string_view rest = renderedIssuer.substr(cn + 3);
    if (!rest.empty() && rest.front() == '"') {
        rest.remove_prefix(1);
        return std::string(rest.substr(0, rest.find('"')));
    }
    return std::string(rest.substr(0, rest.find(',')));
}

std::optional<ClientCertificate> findClientCertificate(const CertificateQuery& query,
                                                       const CertificateStoreRoots& roots) {
    // Asked before every call: without a store to read there is nothing to look up and no error to clear.
    std::filesystem::path root;
    if (query.location == 1)
        root = roots.machine;
    else if (query.location == 2)
        root = roots.user;
    else
        return std::nullopt;
    // Files that are not certificates leave errors on OpenSSL's queue; the TLS handshake must not see them.
    struct ClearErrors {
        ~ClearErrors() { ERR_clear_error(); }
    } clearErrors;

    const std::string_view storeName = storeNameByIndex(query.storeIndex);
    auto store = openStore(root, storeName);
    if (!store)
        throw CertificateError(
            format("Nenalezeno úložiště certifikátů : %s",
                   {std::to_string(query.location) + " / " + std::to_string(query.storeIndex)}));

    for (const auto& cert : store->certificates) {
        if (serialHex(cert.get()) != query.serialNumber) continue;
        if (issuerCommonNameOf(renderIssuer(cert.get())) != query.issuerCommonName) continue;
        for (const auto& key : store->keys) {
            if (X509_check_private_key(cert.get(), key.get()) == 1)
                return ClientCertificate{toPem(cert.get()), toPem(key.get())};
        }
        throw CertificateError(format("V úložišti %s, certifikát SN=%s,CA=%s nemá soukromý klíč",
                                      {storeName, query.serialNumber, query.issuerCommonName}));
    }
    throw CertificateError(format("V úložišti %s, nenalezen certifikát : SN=%s,CA=%s",
                                  {storeName, query.serialNumber, query.issuerCommonName}));
}

PreRequestHook certificateHook(CertificateQuery query, CertificateStoreRoots roots) {
    return
        [query = std::move(query), roots = std::move(roots)] { return findClientCertificate(query, roots); };
}

} // namespace platform::soap
