#include "platform/soap/codec.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace platform::soap {
namespace {

constexpr std::uint8_t kSvc = 0, kData = 1;

constexpr RecordDef kRecords[] = {
    {"Base", "", kData},  {"Item", "Base", kData}, {"Special", "Item", kData, "SpecialItem"},
    {"Other", "", kData}, {"Holder", "", kData},
};
constexpr MemberDef kMembers[] = {
    {"Base", "portalId", "int"},
    {"Item", "amount", "double"},
    {"Item", "code", "string"},
    {"Item", "count", "long"},
    {"Item", "flag", "boolean"},
    {"Item", "photo", "base64Binary"},
    {"Item", "when", "dateTime"},
    {"Special", "extra", "string"},
    {"Other", "name", "string"},
    {"Holder", "any", "anyType"},
    {"Holder", "child", "Item"},
    {"Holder", "items", "ArrayOf_Item"},
    {"Holder", "names", "ArrayOf_string"},
    {"Holder", "price", "decimal"},
};
constexpr ArrayDef kArrays[] = {
    {"ArrayOf_Item", "Item", kSvc},
    {"ArrayOf_string", "soapenc:string", kSvc},
};

const TypeRegistry& registry() {
    static const TypeRegistry r(kRecords, kMembers, kArrays);
    return r;
}
Codec makeCodec() {
    return Codec(registry(), {"urn:svc", "urn:data"}, kSvc);
}

std::string envelope(const std::string& body, const std::string& bodyAttrs = "") {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<soapenv:Envelope xmlns:soapenv="http://schemas.xmlsoap.org/soap/envelope/"
 xmlns:xsd="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"
 xmlns:soapenc="http://schemas.xmlsoap.org/soap/encoding/" xmlns:s="urn:svc" xmlns:d="urn:data">
<soapenv:Body)" +
           bodyAttrs + ">" + body + "</soapenv:Body></soapenv:Envelope>";
}

Record makeItem(const std::string& code) {
    Record item(registry().record("Item"));
    item.set("portalId", 7);
    item.set("code", code);
    item.set("count", std::int64_t{1} << 40);
    item.set("amount", 12.5);
    item.set("flag", true);
    item.set("when", DateTime{2024, 2, 29, 13, 45, 10, 250, true, 90});
    item.set("photo", Bytes{0, 1, 2, 0xFF, 0xFE});
    return item;
}

Record makeHolder() {
    Record holder(registry().record("Holder"));
    Array items(registry().array("ArrayOf_Item"));
    items.add(makeItem("a"));
    Record special(registry().record("Special"));
    special.set("code", "b & <c> \"d\" 'e'\r\n");
    special.set("extra", "x");
    items.add(std::move(special));
    items.add(Nil{});
    holder.set("items", std::move(items));
    holder.set("names",
               Array(registry().array("ArrayOf_string"), {Value("one"), Value(""), Value("  three ")}));
    holder.set("child", makeItem("child"));
    holder.set("price", Decimal{"-1234.50"});
    holder.set("any", Value(std::int64_t{42}));
    return holder;
}

TypeRef holderType() {
    return TypeRef{Scalar::None, &registry().record("Holder"), nullptr};
}

TEST(Codec, RequestRoundTripKeepsEveryValue) {
    const Codec codec = makeCodec();
    Call call{"store",
              {{"holder", holderType(), makeHolder()}, {"key", TypeRef{Scalar::String}, Value("k1")}}};
    const std::string xml = codec.encodeRequest(call);
    EXPECT_EQ(xml.find("href"), std::string::npos);
    const Call back = codec.decodeRequest(xml);
    EXPECT_EQ(back.operation, "store");
    ASSERT_EQ(back.params.size(), 2u);
    EXPECT_EQ(back.params[0].name, "holder");
    EXPECT_EQ(back.params[0].value, Value(makeHolder()));
    EXPECT_EQ(back.params[1].value, Value("k1"));
}

TEST(Codec, ResponseRoundTripInlineAndMultiRef) {
    const Codec codec = makeCodec();
    for (bool multiRef : {false, true}) {
        const std::string xml =
            codec.encodeResponse("get", Param{"getReturn", holderType(), makeHolder()}, {multiRef});
        EXPECT_EQ(xml.find("href=") != std::string::npos, multiRef);
        const Response r = codec.decodeResponse(xml, holderType());
        EXPECT_EQ(r.operation, "get");
        ASSERT_TRUE(r.result);
        EXPECT_EQ(*r.result, Value(makeHolder())) << xml;
    }
}

TEST(Codec, UnsetOptionalMembersAreOmittedAndEmptyStringsSent) {
    const Codec codec = makeCodec();
    Record item(registry().record("Item"));
    const std::string xml =
        codec.encodeRequest({"op", {{"item", TypeRef{Scalar::None, &item.type(), nullptr}, item}}});
    EXPECT_EQ(xml.find("<when"), std::string::npos);
    EXPECT_EQ(xml.find("<photo"), std::string::npos);
    EXPECT_NE(xml.find(R"(<code xsi:type="xsd:string"></code>)"), std::string::npos);
}

TEST(Codec, RequestRefusesParameterOfWrongType) {
    const Codec codec = makeCodec();
    Record other(registry().record("Other"));
    EXPECT_THROW(codec.encodeRequest(
                     {"op", {{"item", TypeRef{Scalar::None, &registry().record("Item"), nullptr}, other}}}),
                 ValueError);
}

TEST(Codec, TextsXmlCannotCarryAreRefused) {
    const Codec codec = makeCodec();
    for (const char* text : {"bell\a", "nul\x01x", "esc\x1b[0m"}) {
        Record other(registry().record("Other"));
        other.set("name", text);
        EXPECT_THROW(
            codec.encodeRequest({"op", {{"o", TypeRef{Scalar::None, &other.type(), nullptr}, other}}}),
            ValueError)
            << text;
    }
}

TEST(Codec, FaultIsRaisedWithItsText) {
    const Codec codec = makeCodec();
    try {
        codec.decodeResponse(codec.encodeFault("soapenv:Server", "Záznam <x> nelze uložit"));
        FAIL() << "no fault raised";
    } catch (const Fault& f) {
        EXPECT_EQ(f.faultString(), "Záznam <x> nelze uložit");
        EXPECT_EQ(f.code(), "soapenv:Server");
    }
}

struct DecodeCase {
    const char* name;
    std::string xml;
    const char* expected; //!< declared result type: a record, array or scalar table name; "" for none
    std::function<void(const Response&)> check;
    const char* error = nullptr; //!< substring of the error's text when decoding must fail
};

TypeRef declared(const char* name) {
    if (!*name) return {};
    return registry().resolve(name);
}

const Record& resultRecord(const Response& r) {
    return r.result->asRecord();
}

TEST(Codec, DecodesWhatServersSend) {
    const DecodeCase cases[] = {
        {"fresh prefixes on every element, compared by URI",
         envelope(R"(<a:getResponse xmlns:a="urn:svc"><x:getReturn xmlns:x="urn:other" xmlns:q="urn:data"
             xmlns:i="http://www.w3.org/2001/XMLSchema-instance" i:type="q:SpecialItem"><code
             xmlns:t="http://www.w3.org/2001/XMLSchema" i:type="t:string">c</code></x:getReturn></a:getResponse>)"),
         "Base",
         [](const Response& r) {
             EXPECT_EQ(resultRecord(r).type().name(), "Special");
             EXPECT_EQ(resultRecord(r).getString("code"), "c");
         }},
        {"soapenc:string where xsd:string is declared",
         envelope(
             R"(<s:getResponse><r xsi:type="d:Other"><name xsi:type="soapenc:string">n</name></r></s:getResponse>)"),
         "Other", [](const Response& r) { EXPECT_EQ(resultRecord(r).getString("name"), "n"); }},
        {"declared member type wins over a scalar xsi:type",
         envelope(
             R"(<s:getResponse><r xsi:type="d:Item"><code xsi:type="xsd:int">007</code></r></s:getResponse>)"),
         "Item", [](const Response& r) { EXPECT_EQ(resultRecord(r).getString("code"), "007"); }},
        {"empty array by [0]",
         envelope(
             R"(<s:getResponse><r xsi:type="s:ArrayOf_Item" soapenc:arrayType="d:Item[0]"/></s:getResponse>)"),
         "ArrayOf_Item",
         [](const Response& r) {
             ASSERT_EQ(r.result->kind(), Value::Kind::Array);
             EXPECT_TRUE(r.result->asArray().items().empty());
         }},
        {"nil array is not empty", envelope(R"(<s:getResponse><r xsi:nil="true"/></s:getResponse>)"),
         "ArrayOf_Item", [](const Response& r) { EXPECT_TRUE(r.result->isNil()); }},
        {"arrayType count that disagrees with the items",
         envelope(R"(<s:getResponse><r xsi:type="soapenc:Array" soapenc:arrayType="d:Item[5]">
             <item xsi:type="d:Item"><code>1</code></item><item xsi:type="d:SpecialItem"><code>2</code></item>
             </r></s:getResponse>)"),
         "ArrayOf_Item",
         [](const Response& r) {
             const auto& items = r.result->asArray().items();
             ASSERT_EQ(items.size(), 2u);
             EXPECT_EQ(items[1].asRecord().type().name(), "Special");
         }},
        {"encodingStyle anywhere, unknown elements ignored",
         envelope(R"(<s:getResponse soapenv:encodingStyle="http://schemas.xmlsoap.org/soap/encoding/">
             <r soapenv:encodingStyle="http://schemas.xmlsoap.org/soap/encoding/" xsi:type="d:Other">
             <unknown xsi:type="xsd:string">u</unknown><name>n</name></r><more/></s:getResponse>)"),
         "Other", [](const Response& r) { EXPECT_EQ(resultRecord(r).getString("name"), "n"); }},
        {"multiRef forward, nested, any element name and order",
         envelope(R"(<s:getResponse><r href="#a"/></s:getResponse>
             <elsewhere id="c" soapenc:root="0" xsi:type="d:Item"><code>inner</code></elsewhere>
             <multiRef id="b" soapenc:root="0" xsi:type="s:ArrayOf_Item"><item href="#c"/><item href="#c"/></multiRef>
             <multiRef id="a" soapenc:root="0" xsi:type="d:Holder"><items href="#b"/><child href="#c"/></multiRef>)"),
         "Holder",
         [](const Response& r) {
             const Record& h = resultRecord(r);
             EXPECT_EQ(h.get("child").asRecord().getString("code"), "inner");
             ASSERT_EQ(h.get("items").asArray().items().size(), 2u);
             EXPECT_EQ(h.get("items").asArray().items()[1].asRecord().getString("code"), "inner");
         }},
        {"absent result", envelope("<s:getResponse/>"), "Item",
         [](const Response& r) { EXPECT_FALSE(r.result.has_value()); }},
        {"nil result", envelope(R"(<s:getResponse><r xsi:nil="1"/></s:getResponse>)"), "Item",
         [](const Response& r) { EXPECT_TRUE(r.result->isNil()); }},
        {"dateTime keeps calendar fields and offset",
         envelope(
             R"(<s:getResponse><r xsi:type="d:Item"><when>2024-03-01T00:30:00.5+01:00</when></r></s:getResponse>)"),
         "Item",
         [](const Response& r) {
             EXPECT_EQ(resultRecord(r).get("when").asDateTime(),
                       (DateTime{2024, 3, 1, 0, 30, 0, 500, true, 60}));
         }},
        {"whitespace-only string kept",
         envelope(R"(<s:getResponse><r xsi:type="d:Other"><name>  </name></r></s:getResponse>)"), "Other",
         [](const Response& r) { EXPECT_EQ(resultRecord(r).getString("name"), "  "); }},
        {"anyType takes the named scalar type",
         envelope(
             R"(<s:getResponse><r xsi:type="d:Holder"><any xsi:type="xsd:boolean">1</any></r></s:getResponse>)"),
         "Holder", [](const Response& r) { EXPECT_EQ(resultRecord(r).get("any"), Value(true)); }},
        // Refusals.
        {"cyclic references", envelope(R"(<s:getResponse><r href="#a"/></s:getResponse>
             <multiRef id="a" xsi:type="d:Holder" soapenc:root="0"><any href="#b"/></multiRef>
             <multiRef id="b" xsi:type="d:Holder" soapenc:root="0"><any href="#a"/></multiRef>)"),
         "Holder", nullptr, "refers back"},
        {"dangling reference", envelope(R"(<s:getResponse><r href="#nowhere"/></s:getResponse>)"), "Holder",
         nullptr, "names no element"},
        {"document type declaration",
         R"(<?xml version="1.0"?><!DOCTYPE e [<!ENTITY x "boom">]>)" +
             envelope("<s:getResponse/>").substr(39),
         "", nullptr, "document type declaration"},
        {"truncated XML", envelope("<s:getResponse><r>").substr(0, 300), "", nullptr, "malformed XML"},
        {"not an envelope", "<html><body>Error</body></html>", "", nullptr, "not a SOAP 1.1 envelope"},
        {"wrong concrete type", envelope(R"(<s:getResponse><r xsi:type="d:Other"/></s:getResponse>)"), "Item",
         nullptr, "expected a value of type Item, received Other"},
        {"record where an array is declared",
         envelope(R"(<s:getResponse><r xsi:type="d:Item"/></s:getResponse>)"), "ArrayOf_Item", nullptr,
         "expected a value of type ArrayOf_Item, received Item"},
        {"array where a record is declared",
         envelope(
             R"(<s:getResponse><r xsi:type="s:ArrayOf_Item" soapenc:arrayType="d:Item[0]"/></s:getResponse>)"),
         "Item", nullptr, "expected a value of type Item, received ArrayOf_Item"},
        {"record where a scalar is declared",
         envelope(R"(<s:getResponse><r xsi:type="d:Other"/></s:getResponse>)"), "string", nullptr,
         "expected a value of type string, received Other"},
        {"unknown type name", envelope(R"(<s:getResponse><r xsi:type="d:Nobody"/></s:getResponse>)"), "Item",
         nullptr, "unknown type urn:data:Nobody"},
        {"type of a namespace not ours",
         envelope(R"(<s:getResponse><r xmlns:z="urn:z" xsi:type="z:Item"/></s:getResponse>)"), "Item",
         nullptr, "unknown type urn:z:Item"},
        {"bad number",
         envelope(R"(<s:getResponse><r xsi:type="d:Item"><count>12x</count></r></s:getResponse>)"), "Item",
         nullptr, "invalid long value"},
        {"empty body", envelope(""), "", nullptr, "Body is empty"},
    };
    const Codec codec = makeCodec();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto expected = *c.expected ? std::optional<TypeRef>(declared(c.expected)) : std::nullopt;
        if (c.error) {
            try {
                codec.decodeResponse(c.xml, expected);
                ADD_FAILURE() << "decoded without error";
            } catch (const DecodeError& e) {
                EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << e.what();
            }
        } else {
            c.check(codec.decodeResponse(c.xml, expected));
        }
    }
}

TEST(Codec, EntitiesAreNeverExpanded) {
    const Codec codec = makeCodec();
    const Response r = codec.decodeResponse(
        envelope(
            R"(<s:getResponse><r xsi:type="d:Other"><name>&amp;&lt;&#x41;&ext;</name></r></s:getResponse>)"),
        declared("Other"));
    EXPECT_EQ(resultRecord(r).getString("name"), "&<A&ext;");
}

TEST(Codec, DeclaredEncodingsAreRead) {
    const Codec codec = makeCodec();
    auto withName = [](const std::string& name) {
        return envelope(R"(<s:getResponse><r xsi:type="d:Other"><name>)" + name +
                        "</name></r></s:getResponse>");
    };
    std::string latin1 = withName("Plze\xF2");
    latin1.replace(latin1.find("UTF-8"), 5, "ISO-8859-1");
    const std::string utf8WithBom = "\xEF\xBB\xBF" + withName("Plze\xC3\xB2");
    for (const std::string& xml : {latin1, utf8WithBom})
        EXPECT_EQ(resultRecord(codec.decodeResponse(xml, declared("Other"))).getString("name"),
                  "Plze\xC3\xB2");
}

TEST(Codec, SizeCapRefusesBeforeParsing) {
    const Codec codec = makeCodec();
    DecodeLimits limits;
    limits.maxBytes = 100;
    EXPECT_THROW(codec.decodeResponse(envelope("<s:getResponse/>"), std::nullopt, limits), DecodeError);
}

TEST(Codec, DepthLimitStopsDeepNesting) {
    std::string nested = R"(<r xsi:type="d:Holder">)";
    std::string close = "</r>";
    for (int i = 0; i < 40; ++i) {
        nested += R"(<any xsi:type="d:Holder">)";
        close += "</any>";
    }
    const Codec codec = makeCodec();
    DecodeLimits limits;
    limits.maxDepth = 16;
    EXPECT_THROW(codec.decodeResponse(envelope("<s:getResponse>" + nested + close + "</s:getResponse>"),
                                      declared("Holder"), limits),
                 DecodeError);
}

TEST(Scalars, Base64RoundTripsEveryTailLength) {
    for (std::size_t n = 0; n < 7; ++n) {
        Bytes bytes;
        for (std::size_t i = 0; i < n; ++i)
            bytes.push_back(static_cast<std::uint8_t>(0xF0 + i * 7));
        EXPECT_EQ(decodeBase64(encodeBase64(bytes)), bytes) << n;
    }
    EXPECT_EQ(encodeBase64(Bytes{'M', 'a'}), "TWE=");
    EXPECT_EQ(decodeBase64("TW\nE="), (Bytes{'M', 'a'}));
    EXPECT_THROW(decodeBase64("TW*="), DecodeError);
    EXPECT_THROW(decodeBase64("TWE=x"), DecodeError);
}

TEST(Scalars, DateTimeTexts) {
    struct Case {
        const char* text;
        DateTime value;
        const char* written;
    } const cases[] = {
        {"2024-01-31T00:00:00Z", DateTime::date(2024, 1, 31), "2024-01-31T00:00:00.000Z"},
        {"1999-12-31T23:59:59.999-05:30",
         {1999, 12, 31, 23, 59, 59, 999, true, -330},
         "1999-12-31T23:59:59.999-05:30"},
        {"2024-02-29T08:00:00", {2024, 2, 29, 8, 0, 0, 0, false, 0}, "2024-02-29T08:00:00.000"},
        {" 2024-06-01T10:00:00.1234+02:00 ",
         {2024, 6, 1, 10, 0, 0, 123, true, 120},
         "2024-06-01T10:00:00.123+02:00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseDateTime(c.text), c.value) << c.text;
        EXPECT_EQ(formatDateTime(c.value), c.written) << c.text;
    }
    for (const char* bad : {"2023-02-29T00:00:00Z", "2024-13-01T00:00:00Z", "2024-01-01",
                            "2024-01-01T25:00:00Z", "2024-01-01T00:00:00+1:00", "yesterday"})
        EXPECT_THROW(parseDateTime(bad), DecodeError) << bad;
}

TEST(Registry, RefusesBrokenTables) {
    constexpr RecordDef twice[] = {{"A", "", 0}, {"A", "", 0}};
    constexpr RecordDef unknownBase[] = {{"A", "B", 0}};
    constexpr RecordDef cyclic[] = {{"A", "B", 0}, {"B", "A", 0}};
    constexpr RecordDef one[] = {{"A", "", 0}};
    constexpr MemberDef unknownType[] = {{"A", "x", "Nothing"}};
    constexpr MemberDef unknownOwner[] = {{"Z", "x", "int"}};
    constexpr MemberDef duplicateMember[] = {{"A", "x", "int"}, {"A", "x", "string"}};
    EXPECT_THROW(TypeRegistry(twice, {}, {}), std::invalid_argument);
    EXPECT_THROW(TypeRegistry(unknownBase, {}, {}), std::invalid_argument);
    EXPECT_THROW(TypeRegistry(cyclic, {}, {}), std::invalid_argument);
    EXPECT_THROW(TypeRegistry(one, unknownType, {}), std::invalid_argument);
    EXPECT_THROW(TypeRegistry(one, unknownOwner, {}), std::invalid_argument);
    EXPECT_THROW(TypeRegistry(one, duplicateMember, {}), std::invalid_argument);
}

TEST(Values, RecordsAreIndependentDeepCopies) {
    Record a = makeHolder();
    Record b = a;
    b.mutableMember("child").asRecord().set("code", "changed");
    b.mutableMember("items").asArray().items().clear();
    EXPECT_EQ(a.get("child").asRecord().getString("code"), "child");
    EXPECT_EQ(a.get("items").asArray().items().size(), 3u);
    EXPECT_FALSE(a == b);
}

TEST(Values, MembersCheckTheirDeclaredType) {
    Record h(registry().record("Holder"));
    EXPECT_THROW((void)h.get("child").asRecord(), ValueError);
    EXPECT_THROW(h.set("child", Record(registry().record("Other"))), ValueError);
    EXPECT_NO_THROW(h.set("child", Record(registry().record("Special"))));
    EXPECT_THROW(h.set("price", Value(1.5)), ValueError);
    EXPECT_THROW(h.set("nothing", Value(1)), ValueError);
    EXPECT_TRUE(h.get("child").asRecord().is("Base"));
    EXPECT_FALSE(h.get("child").asRecord().is("Other"));
    EXPECT_TRUE(Record(registry().record("Item")).get("when").isAbsent());
}

} // namespace
} // namespace platform::soap
