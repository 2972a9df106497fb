#pragma once
//! Reading a certificate store folder: every PEM or PKCS#12 file in file-name order.

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace platform::soap::detail {

struct X509Free {
    void operator()(X509* cert) const { X509_free(cert); }
};
struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct BioFree {
    void operator()(BIO* bio) const { BIO_free(bio); }
};
using X509Ptr = std::unique_ptr<X509, X509Free>;
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyFree>;
using BioPtr = std::unique_ptr<BIO, BioFree>;

//! The certificates and keys of one store, in store order.
struct StoreContents {
    std::vector<X509Ptr> certificates;
    std::vector<KeyPtr> keys;
};

//! Opens the store: the named folder under root, or for "*" every store folder of the location in name
//! order. None when the store name is empty or the folder does not exist.
std::optional<StoreContents> openStore(const std::filesystem::path& root, std::string_view storeName);

} // namespace platform::soap::detail
