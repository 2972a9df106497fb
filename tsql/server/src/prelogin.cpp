#include "prelogin.h"

#include "version.h"

#include <array>

namespace tsql::server {

namespace {

enum Option : std::uint8_t {
    kVersion = 0x00,
    kEncryption = 0x01,
    kInstance = 0x02,
    kThreadId = 0x03,
    kMars = 0x04,
    kTerminator = 0xFF,
};

} // namespace

PreLoginRequest parsePreLogin(const Bytes& payload) {
    PreLoginRequest request;
    ByteReader options(payload);
    for (;;) {
        const std::uint8_t option = options.u8();
        if (option == kTerminator) break;
        const std::uint16_t offset = options.u16be();
        const std::uint16_t length = options.u16be();
        if (std::size_t(offset) + length > payload.size())
            throw ProtocolError("a PRELOGIN option points outside the packet");
        ByteReader value(payload.data() + offset, length);
        switch (option) {
        case kEncryption:
            if (length >= 1) {
                const std::uint8_t e = value.u8();
                request.encryption = e <= 3 ? static_cast<Encryption>(e) : Encryption::NotSupported;
            }
            break;
        case kInstance:
            for (std::size_t i = 0; i < length; ++i) {
                const char c = static_cast<char>(value.u8());
                if (c == '\0') break;
                request.instance += c;
            }
            break;
        case kMars:
            request.mars = length >= 1 && value.u8() != 0;
            break;
        default:
            break;
        }
    }
    return request;
}

EncryptionChoice chooseEncryption(Encryption client, bool serverHasCertificate) {
    if (!serverHasCertificate) return {Encryption::NotSupported, Security::Plain};
    switch (client) {
    case Encryption::Off:
        return {Encryption::Off, Security::LoginOnly};
    case Encryption::On:
    case Encryption::Required:
        return {Encryption::On, Security::Full};
    case Encryption::NotSupported:
        break;
    }
    return {Encryption::NotSupported, Security::Plain};
}

Bytes buildPreLoginResponse(Encryption answer) {
    struct Entry {
        std::uint8_t option;
        Bytes value;
    };
    const std::array<Entry, 4> entries = {{
        {kVersion,
         {kProductMajor, kProductMinor, static_cast<std::uint8_t>(kProductBuild >> 8),
          static_cast<std::uint8_t>(kProductBuild), 0, 0}},
        {kEncryption, {static_cast<std::uint8_t>(answer)}},
        {kInstance, {0}},
        {kMars, {0}},
    }};
    Bytes out;
    ByteWriter w(out);
    std::uint16_t offset = static_cast<std::uint16_t>(entries.size() * 5 + 1);
    for (const auto& e : entries) {
        w.u8(e.option);
        w.u16be(offset);
        w.u16be(static_cast<std::uint16_t>(e.value.size()));
        offset = static_cast<std::uint16_t>(offset + e.value.size());
    }
    w.u8(kTerminator);
    for (const auto& e : entries)
        w.bytes(e.value);
    return out;
}

} // namespace tsql::server
