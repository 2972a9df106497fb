#pragma once
//! Client certificate stores: folders of PEM or PKCS#12 files searched by serial number and issuer.

#include "platform/soap/http_transport.h"

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform::soap {

//! A store could not be opened or held no matching certificate; what() is the text shown to people.
class CertificateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

//! The two root folders holding one sub-folder per store name.
//! Machine: QUELTA_CERTS_MACHINE_DIR, else /etc/quelta/certs.
//! User: QUELTA_CERTS_USER_DIR, else $XDG_CONFIG_HOME/quelta/certs, else ~/.config/quelta/certs.
struct CertificateStoreRoots {
    std::filesystem::path machine; //!< location 1
    std::filesystem::path user;    //!< location 2

    //! The roots from the environment as described above.
    static CertificateStoreRoots fromEnvironment();
};

//! What to look for: the four certificate settings of the Portal.
struct CertificateQuery {
    int location = 0;             //!< 1 = machine, 2 = user, anything else = no certificate
    int storeIndex = 0;           //!< 0 "My", 1 "CA", 2 "ROOT", 3 "TRUST", 4 "AddressBook", 5 "*"
    std::string issuerCommonName; //!< exact, case-sensitive
    std::string serialNumber;     //!< upper-case hexadecimal, two digits per byte
};

//! The store name for an index, or "" for an index outside the table.
std::string_view storeNameByIndex(int index);

//! The issuer common name taken from an issuer rendered as an X.500 string ("CN=..., O=...").
std::string issuerCommonNameOf(std::string_view renderedIssuer);

//! Searches the store named by the query. None for locations other than 1 and 2;
//! throws CertificateError when the store is missing or holds no match.
std::optional<ClientCertificate> findClientCertificate(const CertificateQuery& query,
                                                       const CertificateStoreRoots& roots);

//! A transport hook that searches the store again before every request.
PreRequestHook certificateHook(CertificateQuery query, CertificateStoreRoots roots);

} // namespace platform::soap
