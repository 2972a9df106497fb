#include "store_folder.h"

#include <openssl/pem.h>
#include <openssl/pkcs12.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace platform::soap::detail {

namespace {

//! Never prompts on the terminal for a pass phrase: encrypted keys are unusable here.
int noPassphrase(char*, int, int, void*) {
    return -1;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void loadPem(const std::string& data, StoreContents& store) {
    BioPtr bio(BIO_new_mem_buf(data.data(), static_cast<int>(data.size())));
    STACK_OF(X509_INFO)* infos = PEM_X509_INFO_read_bio(bio.get(), nullptr, noPassphrase, nullptr);
    if (!infos) return;
    for (int i = 0; i < sk_X509_INFO_num(infos); ++i) {
        X509_INFO* info = sk_X509_INFO_value(infos, i);
        if (info->x509) {
            store.certificates.emplace_back(info->x509);
            info->x509 = nullptr;
        }
        if (info->x_pkey && info->x_pkey->dec_pkey) {
            store.keys.emplace_back(info->x_pkey->dec_pkey);
            info->x_pkey->dec_pkey = nullptr;
        }
    }
    sk_X509_INFO_pop_free(infos, X509_INFO_free);
}

void loadPkcs12(const std::string& data, StoreContents& store) {
    BioPtr bio(BIO_new_mem_buf(data.data(), static_cast<int>(data.size())));
    PKCS12* p12 = d2i_PKCS12_bio(bio.get(), nullptr);
    if (!p12) return;
    EVP_PKEY* key = nullptr;
    X509* cert = nullptr;
    STACK_OF(X509)* chain = nullptr;
    if (PKCS12_parse(p12, "", &key, &cert, &chain) || PKCS12_parse(p12, nullptr, &key, &cert, &chain)) {
        if (cert) store.certificates.emplace_back(cert);
        if (key) store.keys.emplace_back(key);
        for (int i = 0; chain && i < sk_X509_num(chain); ++i)
            store.certificates.emplace_back(sk_X509_value(chain, i));
        sk_X509_free(chain);
    }
    PKCS12_free(p12);
}

//! Loads every regular file of one store folder in file-name order; other files are skipped.
void loadFolder(const std::filesystem::path& folder, StoreContents& store) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.is_regular_file(ec)) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        const std::string data = readFile(file);
        if (data.find("-----BEGIN") != std::string::npos)
            loadPem(data, store);
        else
            loadPkcs12(data, store);
    }
}

bool isFolder(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

} // namespace

std::optional<StoreContents> openStore(const std::filesystem::path& root, std::string_view storeName) {
    if (storeName.empty()) return std::nullopt;
    StoreContents store;
    if (storeName == "*") {
        if (!isFolder(root)) return std::nullopt;
        std::vector<std::filesystem::path> folders;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(root, ec))
            if (entry.is_directory(ec)) folders.push_back(entry.path());
        std::sort(folders.begin(), folders.end());
        for (const auto& folder : folders)
            loadFolder(folder, store);
        return store;
    }
    const auto folder = root / std::string(storeName);
    if (!isFolder(folder)) return std::nullopt;
    loadFolder(folder, store);
    return store;
}

} // namespace platform::soap::detail
