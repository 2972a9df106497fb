// Documents a hostile or broken server could send: each is refused with a text that says what is wrong.

#include "platform/soap/codec.h"

#include "test_contract.h"

#include <gtest/gtest.h>

#include <string>

namespace platform::soap {
namespace {

using namespace testing_contract;

struct Refusal {
    const char* name;
    std::string xml;
    ExpectedResponse expected;
    const char* error; //!< part of the refusal's text
};

ExpectedResponse get(const char* result = "") {
    return {"get", *result ? std::optional<TypeRef>(registry().resolve(result)) : std::nullopt};
}

std::string item(const std::string& code) {
    return R"(<s:getResponse><r xsi:type="d:Item"><code>)" + code + "</code></r></s:getResponse>";
}

std::string arrayOfSize(const std::string& size) {
    return R"(<s:getResponse><r xsi:type="s:ArrayOf_Item" soapenc:arrayType="d:Item[)" + size +
           R"(]"/></s:getResponse>)";
}

TEST(HostileResponses, AreRefusedSayingWhy) {
    const std::string latin1 = [] {
        std::string xml = envelope(item("x"));
        xml.replace(xml.find("UTF-8"), 5, "ISO-8859-1");
        return "\xEF\xBB\xBF" + xml;
    }();
    const Refusal cases[] = {
        {"another operation", envelope(R"(<s:putResponse/>)"), get(), "answers put, not get"},
        {"another namespace", envelope(R"(<z:getResponse xmlns:z="urn:z"/>)"), get(),
         "not in the service namespace"},
        {"no response element", envelope(R"(<s:get/>)"), get(), "not a response element"},
        {"element content inside a string",
         envelope(R"(<s:getResponse><r xsi:type="xsd:string">ab<b>c</b>d</r></s:getResponse>)"),
         get("string"), "holds the element b inside a string value"},
        {"element content inside a member", envelope(item("1<x/>2")), get("Item"),
         "holds the element x inside a string value"},
        {"missing scalar return", envelope("<s:getResponse/>"), get("string"), "has no return value"},
        {"missing array return", envelope("<s:getResponse/>"), get("ArrayOf_Item"), "has no return value"},
        {"array size 2^31", envelope(arrayOfSize("2147483648")), get("ArrayOf_Item"), "array size"},
        {"array size -1", envelope(arrayOfSize("-1")), get("ArrayOf_Item"), "array size"},
        {"array size abc", envelope(arrayOfSize("abc")), get("ArrayOf_Item"), "array size"},
        {"two dimensions", envelope(arrayOfSize("2,3")), get("ArrayOf_Item"), "array size"},
        {"array of arrays", envelope(arrayOfSize("][2")), get("ArrayOf_Item"), "one type with one size"},
        {"duplicate multiRef ids", envelope(R"(<s:getResponse><r href="#a"/></s:getResponse>
             <multiRef id="a" xsi:type="d:Item"><code>1</code></multiRef>
             <multiRef id="a" xsi:type="d:Item"><code>2</code></multiRef>)"),
         get("Item"), "the id \"a\" is given to two elements"},
        {"reference to NUL", envelope(item("a&#0;b")), get("Item"), "&#0; at byte"},
        {"reference beyond Unicode", envelope(item("a&#x110000;b")), get("Item"), "names no character"},
        {"reference to a surrogate", envelope(item("&#xD800;")), get("Item"), "names no character"},
        {"reference to a control character", envelope(item("&#1;")), get("Item"), "names no character"},
        {"raw control character", envelope(item("a\x01")), get("Item"), "control character 1"},
        {"raw NUL", envelope(item(std::string("a\0b", 3))), get("Item"), "control character 0"},
        {"second envelope", envelope(item("1")) + envelope(item("2")), get("Item"),
         "second element after the envelope"},
        {"text after the envelope", envelope(item("1")) + "tail<!-- c -->", get("Item"),
         "text after its root element"},
        {"text before the envelope", "junk" + envelope(item("1")), get("Item"),
         "text before its root element"},
        {"two bodies",
         envelope(item("1")).insert(envelope(item("1")).find("</soapenv:Envelope>"), "<soapenv:Body/>"),
         get("Item"), "two Body elements"},
        {"an encoding not read",
         [] {
             std::string xml = envelope(item("x"));
             return xml.replace(xml.find("UTF-8"), 5, "windows-1250");
         }(),
         get("Item"), "declares the encoding \"windows-1250\""},
        {"a declaration that contradicts the byte-order mark", latin1, get("Item"), "byte-order mark"},
        {"UTF-16", std::string("\xFF\xFE<\0?\0", 6), get("Item"), "UTF-16 or UTF-32"},
        {"invalid UTF-8", envelope(item("Plze\xC3")), get("Item"), "not valid UTF-8 (at byte"},
        {"an int holding letters",
         envelope(
             R"(<s:getResponse><r xsi:type="d:Item"><code xsi:type="xsd:int">abc</code></r></s:getResponse>)"),
         get("Item"), "invalid int value \"abc\""},
    };
    const Codec codec = makeCodec();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            codec.decodeResponse(c.xml, c.expected);
            ADD_FAILURE() << "decoded without error";
        } catch (const DecodeError& e) {
            EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << e.what();
        }
    }
}

TEST(HostileResponses, ReferencesFanningOutAreBounded) {
    // One record referenced 3000 times: the values decoded through each reference all count.
    std::string items;
    for (int i = 0; i < 3000; ++i)
        items += R"(<item href="#one"/>)";
    const std::string xml = envelope(R"(<s:getResponse><r xsi:type="s:ArrayOf_Item">)" + items +
                                     R"(</r></s:getResponse><multiRef id="one" xsi:type="d:Item"><code>)" +
                                     std::string(100, 'x') + "</code></multiRef>");
    const Codec codec = makeCodec();
    EXPECT_EQ(codec.decodeResponse(xml, get("ArrayOf_Item")).result->asArray().items().size(), 3000u);
    DecodeLimits fewValues;
    fewValues.maxValues = 10000;
    DecodeLimits littleText;
    littleText.maxTextBytes = 100000;
    for (const auto& [limits, error] : {std::pair{fewValues, "more than 10000 values (references included)"},
                                        std::pair{littleText, "more than 100000 bytes of text"}}) {
        try {
            codec.decodeResponse(xml, get("ArrayOf_Item"), limits);
            ADD_FAILURE() << error;
        } catch (const DecodeError& e) {
            EXPECT_NE(std::string(e.what()).find(error), std::string::npos) << e.what();
        }
    }
}

TEST(HostileResponses, WhatServersMaySendIsStillRead) {
    const Codec codec = makeCodec();
    std::string latin1 = envelope(item("Plze\xF2"));
    latin1.replace(latin1.find("UTF-8"), 5, "ISO-8859-1");
    for (const std::string& xml : {latin1, "\xEF\xBB\xBF" + envelope(item("Plze\xC3\xB2")),
                                   envelope(item("Plze&#xF2;")), envelope(item("<![CDATA[&#0;]]>"))}) {
        const Response r = codec.decodeResponse(xml, get("Item"));
        EXPECT_EQ(r.operation, "get");
        const std::string code = r.result->asRecord().getString("code");
        EXPECT_TRUE(code == "Plze\xC3\xB2" || code == "&#0;") << code;
    }
    // A lookup that finds nothing may leave its record result out; an open array size and a declared size
    // that differs from the items are read as sent.
    EXPECT_FALSE(codec.decodeResponse(envelope("<s:getResponse/>"), get("Item")).result.has_value());
    EXPECT_TRUE(codec.decodeResponse(envelope(arrayOfSize("")), get("ArrayOf_Item"))
                    .result->asArray()
                    .items()
                    .empty());
    EXPECT_TRUE(codec.decodeResponse(envelope(arrayOfSize("3")), get("ArrayOf_Item"))
                    .result->asArray()
                    .items()
                    .empty());
}

TEST(HostileRequests, AnOperationOutsideTheServiceNamespaceIsRefused) {
    const Codec codec = makeCodec();
    EXPECT_EQ(codec.decodeRequest(envelope(R"(<s:echo><in xsi:type="xsd:string">x</in></s:echo>)")).operation,
              "echo");
    for (const std::string& body :
         {std::string(R"(<z:echo xmlns:z="urn:z"><in>x</in></z:echo>)"),
          std::string(R"(<echo><in>x</in></echo>)"), std::string(R"(<d:echo><in>x</in></d:echo>)")}) {
        try {
            codec.decodeRequest(envelope(body));
            ADD_FAILURE() << body;
        } catch (const DecodeError& e) {
            EXPECT_NE(std::string(e.what()).find("not in the service namespace"), std::string::npos)
                << e.what();
        }
    }
    EXPECT_THROW(codec.decodeRequest(envelope("<s:echo><in>\xC3\x28</in></s:echo>")), DecodeError);
}

} // namespace
} // namespace platform::soap
