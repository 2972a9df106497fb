// The SOAP client over a scripted transport: what it sends and how each kind of answer ends.

#include "quelta/portal/endpoint.h"
#include "quelta/portal/typed_records.h"

#include "platform/soap/certificate_store.h"

#include <gtest/gtest.h>

#include <functional>

namespace quelta {
namespace {

using platform::soap::HttpResponse;
using platform::soap::PostResult;
using platform::soap::TransportError;
using platform::soap::TransportFailure;

//! A client whose transport answers with `answer` and records the request bodies.
struct Scripted {
    std::vector<std::string> sent;
    std::function<PostResult()> answer;
    std::shared_ptr<RpcKvaEndpoint> portal = CreateRpcKvaEndpoint(
        [this](std::string_view body) {
            sent.emplace_back(body);
            return answer();
        },
        "http://portal.test/ws");
};

std::string Respond(std::string_view operation, std::string_view resultXml) {
    return R"(<?xml version="1.0" encoding="utf-8"?><soapenv:Envelope
 xmlns:soapenv="http://schemas.xmlsoap.org/soap/envelope/" xmlns:xsd="http://www.w3.org/2001/XMLSchema"
 xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xmlns:soapenc="http://schemas.xmlsoap.org/soap/encoding/"
 xmlns:ns1="urn:quelta-portal:data" xmlns:ns0="urn:quelta-portal:service"><soapenv:Body><ns0:)" +
           std::string(operation) + "Response>" + std::string(resultXml) + "</ns0:" + std::string(operation) +
           "Response></soapenv:Body></soapenv:Envelope>";
}

const std::string kFault =
    R"(<soapenv:Envelope xmlns:soapenv="http://schemas.xmlsoap.org/soap/envelope/"><soapenv:Body>
<soapenv:Fault><faultcode>soapenv:Server.userException</faultcode><faultstring>Záznam 0800 nelze uložit</faultstring>
</soapenv:Fault></soapenv:Body></soapenv:Envelope>)";

TEST(PortalClient, SendsTheOperationAndReadsItsResult) {
    Scripted s;
    s.answer = [] {
        return HttpResponse{200, "text/xml", Respond("echo", R"(<r xsi:type="xsd:string">hello</r>)")};
    };
    EXPECT_EQ(s.portal->echo("hello"), "hello");
    ASSERT_EQ(s.sent.size(), 1u);
    EXPECT_NE(s.sent[0].find(R"(<ns0:echo><in xsi:type="xsd:string">hello</in></ns0:echo>)"),
              std::string::npos);

    s.answer = [] {
        return HttpResponse{200, "text/xml", Respond("getDtoByErpPk", R"(<r xsi:nil="true"/>)")};
    };
    EXPECT_FALSE(s.portal->getDtoByErpPk(NewRecord("BankCodeDto"), "0800"));
    s.answer = [] { return HttpResponse{200, "text/xml", Respond("getDtoByErpPk", "")}; };
    EXPECT_FALSE(GetDtoByErpPk<BankCodeDto>(*s.portal, "0800"));

    s.answer = [] {
        return HttpResponse{200, "text/xml", Respond("getDtoByErpPk", R"(<r xsi:type="ns1:BankCodeDto">
            <erpPk xsi:type="xsd:string">0800</erpPk><swift xsi:type="xsd:string">GIBACZPX</swift></r>)")};
    };
    const auto bank = GetDtoByErpPk<BankCodeDto>(*s.portal, "0800");
    ASSERT_TRUE(bank);
    EXPECT_EQ(bank->swift, "GIBACZPX");

    s.answer = [] {
        return HttpResponse{200, "text/xml",
                            Respond("findChangedDtos", R"(<r xsi:type="ns0:ArrayOf_tns1_BaseExtendedDto">
            <i xsi:type="ns1:EmployeeDto"><commitNumber>12</commitNumber></i><i xsi:nil="true"/>
            <i xsi:type="ns1:EmployeeDto"><commitNumber>15</commitNumber></i></r>)")};
    };
    const auto changed = FindChangedDtos<EmployeeDto>(*s.portal, 10);
    ASSERT_EQ(changed.size(), 2u);
    EXPECT_EQ(changed[1].commitNumber, 15);

    s.answer = [] { return HttpResponse{200, "text/xml", Respond("saveOrUpdateByDto", "")}; };
    EXPECT_NO_THROW(s.portal->saveOrUpdateByDto(NewRecord("CityDto"), "11000"));
}

TEST(PortalClient, WrongConcreteTypeIsAnInvalidCast) {
    Scripted s;
    s.answer = [] {
        return HttpResponse{200, "text/xml",
                            Respond("findChangedDtos", R"(<r xsi:type="ns0:ArrayOf_tns1_BaseExtendedDto">
            <i xsi:type="ns1:CityDto"/></r>)")};
    };
    EXPECT_THROW(FindChangedDtos<EmployeeDto>(*s.portal, 0), EInvalidCast);
    s.answer = [] {
        return HttpResponse{200, "text/xml",
                            Respond("getDtoByErpPk", R"(<r xsi:type="ns1:PayrollCalendarDay"/>)")};
    };
    EXPECT_THROW(s.portal->getDtoByErpPk(NewRecord("CityDto"), "1"), EInvalidCast);
    EXPECT_THROW(s.portal->saveOrUpdateByDto(NewRecord("PreprocessDto"), "1"), EInvalidCast);
    soap::Record city = NewRecord("CityDto");
    city.set("name", "Praha\x01");
    EXPECT_THROW(s.portal->saveOrUpdateByDto(city, "1"), EPortalRequest);
    EXPECT_TRUE(s.sent.size() == 2u) << "a request that cannot be written is refused before sending";
}

TEST(PortalClient, FailuresEndInReadableErrors) {
    struct Case {
        const char* name;
        std::function<PostResult()> answer;
        std::string_view errorClass;
        const char* text;
    } const cases[] = {
        {"fault with HTTP 500",
         [] {
             return HttpResponse{500, "text/xml", kFault};
         },
         "ESOAPFault", "Záznam 0800 nelze uložit"},
        {"fault with HTTP 200",
         [] {
             return HttpResponse{200, "text/xml", kFault};
         },
         "ESOAPFault", "Záznam 0800 nelze uložit"},
        {"HTTP 500 with an HTML page",
         [] {
             return HttpResponse{500, "text/html", "<html><body>Internal error</body></html>"};
         },
         "EPortalConnection", "answered saveOrUpdateByDto with HTTP status 500 (text/html)"},
        {"HTTP 404",
         [] {
             return HttpResponse{404, "", "Not found"};
         },
         "EPortalConnection", "HTTP status 404"},
        {"truncated XML",
         [] {
             return HttpResponse{200, "text/xml", Respond("saveOrUpdateByDto", "").substr(0, 200)};
         },
         "EPortalResponse", "could not be read: malformed XML"},
        {"document type declaration",
         [] {
             return HttpResponse{200, "text/xml",
                                 "<!DOCTYPE x [<!ENTITY a 'b'>]>" + Respond("saveOrUpdateByDto", "")};
         },
         "EPortalResponse", "document type declaration"},
        {"the answer of another operation",
         [] {
             return HttpResponse{200, "text/xml", Respond("deleteByDto", "")};
         },
         "EPortalResponse", "could not be read: the response answers deleteByDto, not saveOrUpdateByDto"},
        {"invalid UTF-8",
         [] {
             return HttpResponse{200, "text/xml", Respond("saveOrUpdateByDto", "<r>Plze\xF2</r>")};
         },
         "EPortalResponse", "could not be read: the document is not valid UTF-8"},
        {"dropped connection",
         [] {
             return TransportFailure{TransportError::ConnectionDropped, "Empty reply from server"};
         },
         "EPortalConnection",
         "could not be reached (saveOrUpdateByDto): connection dropped: Empty reply from server"},
        {"time-out",
         [] {
             return TransportFailure{TransportError::Timeout, "Operation timed out"};
         },
         "EPortalConnection", "Operation timed out"},
        {"certificate not found",
         []() -> PostResult {
             throw platform::soap::CertificateError(
                 "V úložišti My, nenalezen certifikát : SN=0A1B,CA=Test CA");
         },
         "EPortalConnection", "V úložišti My, nenalezen certifikát : SN=0A1B,CA=Test CA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scripted s;
        s.answer = c.answer;
        try {
            s.portal->saveOrUpdateByDto(NewRecord("BankCodeDto"), "0800");
            ADD_FAILURE() << "no error";
        } catch (const EPortalError& e) {
            EXPECT_EQ(std::string_view(e.kind()), c.errorClass);
            EXPECT_NE(std::string(e.what()).find(c.text), std::string::npos) << e.what();
        }
    }
}

TEST(PortalClient, WorkOfTheNextCallOverlapsItsAnswerAndItsFailureComesSecond) {
    const auto saved = [] {
        return PostResult(HttpResponse{200, "text/xml", Respond("saveOrUpdateByDto", "")});
    };
    const auto fault = [] { return PostResult(HttpResponse{500, "text/xml", kFault}); };
    const auto refused = [] {
        return PostResult(TransportFailure{TransportError::ConnectFailed, "refused"});
    };
    struct Case {
        const char* name;
        std::function<PostResult()> answer;
        bool sent;                   //!< whether the request goes out (and the work runs)
        bool workFails;              //!< whether the work throws
        std::string_view errorClass; //!< the error the call ends in, "" for none
    };
    const Case cases[] = {
        {"saved", saved, true, false, ""},
        {"saved, the work fails", saved, true, true, "EDatabaseError"},
        {"fault, the work fails", fault, true, true, "ESOAPFault"},
        {"not sent", refused, false, false, "EPortalConnection"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> steps;
        const auto portal = CreateRpcKvaEndpoint(
            [&](std::string_view, const std::function<void()>& whileWaiting) {
                steps.push_back("sent");
                if (c.sent && whileWaiting) whileWaiting();
                return c.answer();
            },
            "http://portal.test/ws");
        portal->OverlapNextCall([&] {
            steps.push_back("work");
            if (c.workFails) throw EDatabaseError("Invalid object name 'TabZamJme'.");
        });
        try {
            portal->saveOrUpdateByDto(NewRecord("BankCodeDto"), "0800");
            EXPECT_EQ(c.errorClass, "");
        } catch (const Exception& e) {
            EXPECT_EQ(std::string_view(e.kind()), c.errorClass) << e.what();
        }
        // The work belonged to that call only.
        try {
            portal->saveOrUpdateByDto(NewRecord("BankCodeDto"), "0800");
        } catch (const Exception&) {
        }
        const std::vector<std::string> expected = c.sent ? std::vector<std::string>{"sent", "work", "sent"}
                                                         : std::vector<std::string>{"sent", "sent"};
        EXPECT_EQ(steps, expected);
    }

    // Over a post that cannot overlap, the work runs once the answer is in.
    Scripted s;
    s.answer = [&] { return saved(); };
    bool ran = false;
    s.portal->OverlapNextCall([&] {
        ran = true;
        EXPECT_EQ(s.sent.size(), 1u);
    });
    s.portal->saveOrUpdateByDto(NewRecord("BankCodeDto"), "0800");
    EXPECT_TRUE(ran);
}

TEST(PortalClient, EmptyUrlFailsAtTheFirstCallNotAtStartUp) {
    PortalSettings settings; // no URL, no client certificate
    std::shared_ptr<RpcKvaEndpoint> portal;
    ASSERT_NO_THROW(portal = CreateRpcKvaEndpoint(settings));
    EXPECT_THROW(portal->echo("x"), EPortalConnection);
}

} // namespace
} // namespace quelta
