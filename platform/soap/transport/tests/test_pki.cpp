#include "test_pki.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace platform::soap::testing {

void openssl(const std::string& arguments) {
    const std::string command = "openssl " + arguments + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("openssl failed: " + command);
}

namespace {
//! The text in single quotes for the shell (the test's own paths and subjects hold no quote).
std::string quoted(const std::string& text) {
    std::string result;
    result.reserve(text.size() + 2);
    result.push_back('\'');
    result.append(text);
    result.push_back('\'');
    return result;
}
std::string quoted(const std::filesystem::path& path) {
    return quoted(path.string());
}
} // namespace

void makeCa(const std::filesystem::path& dir, const std::string& name, const std::string& subject) {
    openssl("req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 -subj " + quoted(subject) +
            " -keyout " + quoted(dir / (name + ".key")) + " -out " + quoted(dir / (name + ".pem")));
}

void makeCertificate(const std::filesystem::path& dir, const std::string& name, const std::string& caName,
                     const std::string& subject, const std::string& serialHex, bool forServer) {
    const auto key = dir / (name + ".key");
    const auto request = dir / (name + ".csr");
    const auto extensions = dir / (name + ".ext");
    openssl("req -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -subj " + quoted(subject) +
            " -keyout " + quoted(key) + " -out " + quoted(request));
    std::ofstream(extensions) << (forServer ? "subjectAltName=IP:127.0.0.1\nextendedKeyUsage=serverAuth\n"
                                            : "extendedKeyUsage=clientAuth\n");
    openssl("x509 -req -days 2 -in " + quoted(request) + " -CA " + quoted(dir / (caName + ".pem")) +
            " -CAkey " + quoted(dir / (caName + ".key")) + " -set_serial 0x" + serialHex + " -extfile " +
            quoted(extensions) + " -out " + quoted(dir / (name + ".pem")));
    std::filesystem::remove(request);
    std::filesystem::remove(extensions);
}

void makePkcs12(const std::filesystem::path& dir, const std::string& name) {
    openssl("pkcs12 -export -passout pass: -in " + quoted(dir / (name + ".pem")) + " -inkey " +
            quoted(dir / (name + ".key")) + " -out " + quoted(dir / (name + ".p12")));
}

TlsPki makeTlsPki(const std::filesystem::path& dir, const std::string& clientCaSubject,
                  const std::string& clientSerialHex) {
    makeCa(dir, "ca", "/O=Test/CN=Test Root");
    makeCertificate(dir, "server", "ca", "/CN=127.0.0.1", "01", true);
    makeCa(dir, "clientca", clientCaSubject);
    makeCertificate(dir, "client", "clientca", "/CN=client", clientSerialHex);
    const TlsPki pki{dir / "ca.pem",       dir / "server.pem", dir / "server.key",
                     dir / "clientca.pem", dir / "machine",    dir / "user"};
    std::filesystem::create_directories(pki.userStores / "My");
    std::ofstream(pki.userStores / "My" / "client.pem")
        << readText(dir / "client.pem") << readText(dir / "client.key");
    return pki;
}

std::string readText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace platform::soap::testing
