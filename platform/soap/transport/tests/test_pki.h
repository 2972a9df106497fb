#pragma once
//! Test certificates made with the openssl command in a private temporary folder.

#include "common/testing/temp_folder.h"

#include <filesystem>
#include <string>

namespace platform::soap::testing {

using common::testing::TempFolder;

//! Runs `openssl <arguments>` quietly; throws when it fails.
void openssl(const std::string& arguments);

//! A self-signed CA: <dir>/<name>.pem and <dir>/<name>.key. subject is in openssl's "/CN=..." form.
void makeCa(const std::filesystem::path& dir, const std::string& name, const std::string& subject);

//! A certificate issued by CA <caName>: <dir>/<name>.pem and <dir>/<name>.key, serial given in hex
//! ("0A1B2C"); a server certificate carries the address 127.0.0.1.
void makeCertificate(const std::filesystem::path& dir, const std::string& name, const std::string& caName,
                     const std::string& subject, const std::string& serialHex, bool forServer = false);

//! <dir>/<name>.p12 holding <name>.pem and <name>.key with an empty password.
void makePkcs12(const std::filesystem::path& dir, const std::string& name);

//! The files of a TLS test with client certificates, made by makeTlsPki.
struct TlsPki {
    std::filesystem::path serverCa;          //!< CA file a client trusts the server with
    std::filesystem::path serverCertificate; //!< server certificate for 127.0.0.1 and its key
    std::filesystem::path serverKey;
    std::filesystem::path clientCa;      //!< CA file the server checks client certificates with
    std::filesystem::path machineStores; //!< certificate store roots: the client certificate and key are
    std::filesystem::path userStores;    //!< one PEM file in the user's "My" store
};

//! A server CA and a server certificate, a client CA with subject `clientCaSubject` and a client certificate
//! issued by it with serial `clientSerialHex`, placed in the user's "My" store, all under `dir`.
TlsPki makeTlsPki(const std::filesystem::path& dir, const std::string& clientCaSubject,
                  const std::string& clientSerialHex);

//! The whole content of a file.
std::string readText(const std::filesystem::path& file);

} // namespace platform::soap::testing
