#include "login.h"

#include "common/ascii.h"

#include <array>

namespace tsql::server {

namespace {

//! The fixed part of LOGIN7 up to and including the attach-file reference (7.1).
constexpr std::size_t kFixedPart71 = 86;
//! Options of OptionFlags2 and OptionFlags3.
constexpr std::uint8_t kIntegratedSecurity = 0x80;
constexpr std::uint8_t kChangePassword = 0x01;

//! A password as LOGIN7 carries it: each byte's nibbles swapped, then XORed with 0xA5.
std::string unscramblePassword(const std::uint8_t* data, std::size_t bytes) {
    Bytes plain(data, data + bytes);
    for (auto& b : plain) {
        b ^= 0xA5;
        b = static_cast<std::uint8_t>((b << 4) | (b >> 4));
    }
    std::string text = fromUtf16Le(plain.data(), plain.size());
    std::fill(plain.begin(), plain.end(), std::uint8_t{0});
    return text;
}

} // namespace

void wipe(std::string& secret) {
    volatile char* p = secret.data();
    for (std::size_t i = 0; i < secret.size(); ++i)
        p[i] = '\0';
    secret.clear();
}

LoginRequest parseLogin7(const Bytes& data) {
    if (data.size() < kFixedPart71) throw ProtocolError("the login record is too short");
    ByteReader r(data);
    const std::uint32_t length = r.u32();
    if (length > data.size() || length < kFixedPart71)
        throw ProtocolError("the login record announces a wrong length");
    LoginRequest login;
    login.tdsVersion = r.u32();
    login.packetSize = r.u32();
    r.u32(); // client program version
    login.clientPid = r.u32();
    r.u32(); // connection id
    r.u8();  // option flags 1
    const std::uint8_t flags2 = r.u8();
    r.u8(); // type flags
    const std::uint8_t flags3 = r.u8();
    r.u32(); // time zone
    r.u32(); // LCID
    login.integratedSecurity = (flags2 & kIntegratedSecurity) != 0;
    login.changePassword = (flags3 & kChangePassword) != 0;

    // Offsets and lengths (in characters) of the variable part, in this order.
    struct Reference {
        std::string* target;
        bool password;
    };
    std::string unused;
    const std::array<Reference, 9> references = {{
        {&login.hostName, false},
        {&login.userName, false},
        {&login.password, true},
        {&login.appName, false},
        {&login.serverName, false},
        {&unused, false}, // extension block
        {&login.library, false},
        {&login.language, false},
        {&login.database, false},
    }};
    for (const auto& ref : references) {
        const std::uint16_t offset = r.u16();
        const std::uint16_t chars = r.u16();
        if (ref.target == &unused) continue; // a feature-extension reference counts bytes, not text
        const std::size_t bytes = std::size_t(chars) * 2;
        if (chars == 0) continue;
        if (offset < kFixedPart71 || offset + bytes > length)
            throw ProtocolError("a login field points outside the login record");
        *ref.target = ref.password ? unscramblePassword(data.data() + offset, bytes)
                                   : fromUtf16Le(data.data() + offset, bytes);
    }
    return login;
}

bool Account::accepts(const std::string& name, const std::string& secret) const {
    if (!common::EqualsIgnoreCaseAscii(name, login)) return false;
    // Compare every character whatever the first difference, so timing tells nothing.
    const std::size_t n = std::max(secret.size(), password.size());
    unsigned difference = secret.size() == password.size() ? 0 : 1;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char a = i < secret.size() ? static_cast<unsigned char>(secret[i]) : 0;
        const unsigned char b = i < password.size() ? static_cast<unsigned char>(password[i]) : 0;
        difference |= static_cast<unsigned>(a ^ b);
    }
    return difference == 0;
}

} // namespace tsql::server
