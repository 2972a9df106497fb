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

const TypeRegistry& Registry() {
    static const TypeRegistry r(kRecords, kMembers, kArrays);
    return r;
}
Codec MakeCodec() {
    return Codec(Registry(), {"urn:svc", "urn:data"}, kSvc);
}

std::string Envelope(const std::string& body, const std::string& bodyAttrs = "") {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<soapenv:Envelope xmlns:soapenv="http://schemas.xmlsoap.org/soap/envelope/"
 xmlns:xsd="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"
 xmlns:soapenc="http://schemas.xmlsoap.org/soap/encoding/" xmlns:s="urn:svc" xmlns:d="urn:data">
<soapenv:Body)" +
           bodyAttrs + ">" + body + "</soapenv:Body></soapenv:Envelope>";
}

Record MakeItem(const std::string& code) {
    Record item(Registry().Record("Item"));
    item.Set("portalId", 7);
    item.Set("code", code);
    item.Set("count", std::int64_t{1} << 40);
    item.Set("amount", 12.5);
    item.Set("flag", true);
    item.Set("when", DateTime{2024, 2, 29, 13, 45, 10, 250, true, 90});
    item.Set("photo", Bytes{0, 1, 2, 0xFF, 0xFE});
    return item;
}

Record MakeHolder() {
    Record holder(Registry().Record("Holder"));
    Array items(Registry().Array("ArrayOf_Item"));
    items.Add(MakeItem("a"));
    Record special(Registry().Record("Special"));
    special.Set("code", "b & <c> \"d\" 'e'\r\n");
    special.Set("extra", "x");
    items.Add(std::move(special));
    items.Add(Nil{});
    holder.Set("items", std::move(items));
    holder.Set("names",
               Array(Registry().Array("ArrayOf_string"), {Value("one"), Value(""), Value("  three ")}));
    holder.Set("child", MakeItem("child"));
    holder.Set("price", Decimal{"-1234.50"});
    holder.Set("any", Value(std::int64_t{42}));
    return holder;
}

TypeRef HolderType() {
    return TypeRef{Scalar::None, &Registry().Record("Holder"), nullptr};
}

TEST(Codec, RequestRoundTripKeepsEveryValue) {
    const Codec codec = MakeCodec();
    Call call{"store",
              {{"holder", HolderType(), MakeHolder()}, {"key", TypeRef{Scalar::String}, Value("k1")}}};
    const std::string xml = codec.EncodeRequest(call);
    EXPECT_EQ(xml.find("href"), std::string::npos);
    const Call back = codec.DecodeRequest(xml);
    EXPECT_EQ(back.operation, "store");
    ASSERT_EQ(back.params.size(), 2u);
    EXPECT_EQ(back.params[0].name, "holder");
    EXPECT_EQ(back.params[0].value, Value(MakeHolder()));
    EXPECT_EQ(back.params[1].value, Value("k1"));
}

TEST(Codec, ResponseRoundTripInlineAndMultiRef) {
    const Codec codec = MakeCodec();
    for (bool multiRef : {false, true}) {
        const std::string xml =
            codec.EncodeResponse("get", Param{"getReturn", HolderType(), MakeHolder()}, {multiRef});
        EXPECT_EQ(xml.find("href=") != std::string::npos, multiRef);
        const Response r = codec.DecodeResponse(xml, HolderType());
        EXPECT_EQ(r.operation, "get");
        ASSERT_TRUE(r.result);
        EXPECT_EQ(*r.result, Value(MakeHolder())) << xml;
    }
}

TEST(Codec, UnsetOptionalMembersAreOmittedAndEmptyStringsSent) {
    const Codec codec = MakeCodec();
    Record item(Registry().Record("Item"));
    const std::string xml =
        codec.EncodeRequest({"op", {{"item", TypeRef{Scalar::None, &item.Type(), nullptr}, item}}});
    EXPECT_EQ(xml.find("<when"), std::string::npos);
    EXPECT_EQ(xml.find("<photo"), std::string::npos);
    EXPECT_NE(xml.find(R"(<code xsi:type="xsd:string"></code>)"), std::string::npos);
}

TEST(Codec, RequestRefusesParameterOfWrongType) {
    const Codec codec = MakeCodec();
    Record other(Registry().Record("Other"));
    EXPECT_THROW(codec.EncodeRequest(
                     {"op", {{"item", TypeRef{Scalar::None, &Registry().Record("Item"), nullptr}, other}}}),
                 ValueError);
}

TEST(Codec, TextsXmlCannotCarryAreRefused) {
    const Codec codec = MakeCodec();
    for (const char* text : {"bell\a", "nul\x01x", "esc\x1b[0m"}) {
        Record other(Registry().Record("Other"));
        other.Set("name", text);
        EXPECT_THROW(
            codec.EncodeRequest({"op", {{"o", TypeRef{Scalar::None, &other.Type(), nullptr}, other}}}),
            ValueError)
            << text;
    }
}

TEST(Codec, FaultIsRaisedWithItsText) {
    const Codec codec = MakeCodec();
    try {
        codec.DecodeResponse(codec.EncodeFault("soapenv:Server", "Záznam <x> nelze uložit"));
        FAIL() << "no fault raised";
    } catch (const Fault& f) {
        EXPECT_EQ(f.String(), "Záznam <x> nelze uložit");
        EXPECT_EQ(f.Code(), "soapenv:Server");
    }
}

struct DecodeCase {
    const char* name;
    std::string xml;
    const char* expected; //!< declared result type: a record, array or scalar table name; "" for none
    std::function<void(const Response&)> check;
    const char* error = nullptr; //!< substring of the error's text when decoding must fail
};

TypeRef Declared(const char* name) {
    if (!*name) return {};
    return Registry().Resolve(name);
}

const Record& ResultRecord(const Response& r) {
    return r.result->AsRecord();
}

TEST(Codec, DecodesWhatServersSend) {
    const DecodeCase cases[] = {
        {"fresh prefixes on every element, compared by URI",
         Envelope(R"(<a:getResponse xmlns:a="urn:svc"><x:getReturn xmlns:x="urn:other" xmlns:q="urn:data"
             xmlns:i="http://www.w3.org/2001/XMLSchema-instance" i:type="q:SpecialItem"><code
             xmlns:t="http://www.w3.org/2001/XMLSchema" i:type="t:string">c</code></x:getReturn></a:getResponse>)"),
         "Base",
         [](const Response& r) {
             EXPECT_EQ(ResultRecord(r).Type().Name(), "Special");
             EXPECT_EQ(ResultRecord(r).GetString("code"), "c");
         }},
        {"soapenc:string where xsd:string is declared",
         Envelope(
             R"(<s:getResponse><r xsi:type="d:Other"><name xsi:type="soapenc:string">n</name></r></s:getResponse>)"),
         "Other", [](const Response& r) { EXPECT_EQ(ResultRecord(r).GetString("name"), "n"); }},
        {"declared member type wins over a scalar xsi:type",
         Envelope(
             R"(<s:getResponse><r xsi:type="d:Item"><code xsi:type="xsd:int">007</code></r></s:getResponse>)"),
         "Item", [](const Response& r) { EXPECT_EQ(ResultRecord(r).GetString("code"), "007"); }},
        {"empty array by [0]",
         Envelope(
             R"(<s:getResponse><r xsi:type="s:ArrayOf_Item" soapenc:arrayType="d:Item[0]"/></s:getResponse>)"),
         "ArrayOf_Item",
         [](const Response& r) {
             ASSERT_EQ(r.result->GetKind(), Value::Kind::Array);
             EXPECT_TRUE(r.result->AsArray().Items().empty());
         }},
        {"nil array is not empty", Envelope(R"(<s:getResponse><r xsi:nil="true"/></s:getResponse>)"),
         "ArrayOf_Item", [](const Response& r) { EXPECT_TRUE(r.result->IsNil()); }},
        {"arrayType count that disagrees with the items",
         Envelope(R"(<s:getResponse><r xsi:type="soapenc:Array" soapenc:arrayType="d:Item[5]">
             <item xsi:type="d:Item"><code>1</code></item><item xsi:type="d:SpecialItem"><code>2</code></item>
             </r></s:getResponse>)"),
         "ArrayOf_Item",
         [](const Response& r) {
             const auto& items = r.result->AsArray().Items();
             ASSERT_EQ(items.size(), 2u);
             EXPECT_EQ(items[1].AsRecord().Type().Name(), "Special");
         }},
        {"encodingStyle anywhere, unknown elements ignored",
         Envelope(R"(<s:getResponse soapenv:encodingStyle="http://schemas.xmlsoap.org/soap/encoding/">
             <r soapenv:encodingStyle="http://schemas.xmlsoap.org/soap/encoding/" xsi:type="d:Other">
             <unknown xsi:type="xsd:string">u</unknown><name>n</name></r><more/></s:getResponse>)"),
         "Other", [](const Response& r) { EXPECT_EQ(ResultRecord(r).GetString("name"), "n"); }},
        {"multiRef forward, nested, any element name and order",
         Envelope(R"(<s:getResponse><r href="#a"/></s:getResponse>
             <elsewhere id="c" soapenc:root="0" xsi:type="d:Item"><code>inner</code></elsewhere>
             <multiRef id="b" soapenc:root="0" xsi:type="s:ArrayOf_Item"><item href="#c"/><item href="#c"/></multiRef>
             <multiRef id="a" soapenc:root="0" xsi:type="d:Holder"><items href="#b"/><child href="#c"/></multiRef>)"),
         "Holder",
         [](const Response& r) {
             const Record& h = ResultRecord(r);
             EXPECT_EQ(h.Get("child").AsRecord().GetString("code"), "inner");
             ASSERT_EQ(h.Get("items").AsArray().Items().size(), 2u);
             EXPECT_EQ(h.Get("items").AsArray().Items()[1].AsRecord().GetString("code"), "inner");
         }},
        {"absent result", Envelope("<s:getResponse/>"), "Item",
         [](const Response& r) { EXPECT_FALSE(r.result.has_value()); }},
        {"nil result", Envelope(R"(<s:getResponse><r xsi:nil="1"/></s:getResponse>)"), "Item",
         [](const Response& r) { EXPECT_TRUE(r.result->IsNil()); }},
        {"dateTime keeps calendar fields and offset",
         Envelope(
             R"(<s:getResponse><r xsi:type="d:Item"><when>2024-03-01T00:30:00.5+01:00</when></r></s:getResponse>)"),
         "Item",
         [](const Response& r) {
             EXPECT_EQ(ResultRecord(r).Get("when").AsDateTime(),
                       (DateTime{2024, 3, 1, 0, 30, 0, 500, true, 60}));
         }},
        {"whitespace-only string kept",
         Envelope(R"(<s:getResponse><r xsi:type="d:Other"><name>  </name></r></s:getResponse>)"), "Other",
         [](const Response& r) { EXPECT_EQ(ResultRecord(r).GetString("name"), "  "); }},
        {"anyType takes the named scalar type",
         Envelope(
             R"(<s:getResponse><r xsi:type="d:Holder"><any xsi:type="xsd:boolean">1</any></r></s:getResponse>)"),
         "Holder", [](const Response& r) { EXPECT_EQ(ResultRecord(r).Get("any"), Value(true)); }},
        // Refusals.
        {"cyclic references", Envelope(R"(<s:getResponse><r href="#a"/></s:getResponse>
             <multiRef id="a" xsi:type="d:Holder" soapenc:root="0"><any href="#b"/></multiRef>
             <multiRef id="b" xsi:type="d:Holder" soapenc:root="0"><any href="#a"/></multiRef>)"),
         "Holder", nullptr, "refers back"},
        {"dangling reference", Envelope(R"(<s:getResponse><r href="#nowhere"/></s:getResponse>)"), "Holder",
         nullptr, "names no element"},
        {"document type declaration",
         R"(<?xml version="1.0"?><!DOCTYPE e [<!ENTITY x "boom">]>)" +
             Envelope("<s:getResponse/>").substr(39),
         "", nullptr, "document type declaration"},
        {"truncated XML", Envelope("<s:getResponse><r>").substr(0, 300), "", nullptr, "malformed XML"},
        {"not an envelope", "<html><body>Error</body></html>", "", nullptr, "not a SOAP 1.1 envelope"},
        {"wrong concrete type", Envelope(R"(<s:getResponse><r xsi:type="d:Other"/></s:getResponse>)"), "Item",
         nullptr, "expected a value of type Item, received Other"},
        {"record where an array is declared",
         Envelope(R"(<s:getResponse><r xsi:type="d:Item"/></s:getResponse>)"), "ArrayOf_Item", nullptr,
         "expected a value of type ArrayOf_Item, received Item"},
        {"array where a record is declared",
         Envelope(
             R"(<s:getResponse><r xsi:type="s:ArrayOf_Item" soapenc:arrayType="d:Item[0]"/></s:getResponse>)"),
         "Item", nullptr, "expected a value of type Item, received ArrayOf_Item"},
        {"record where a scalar is declared",
         Envelope(R"(<s:getResponse><r xsi:type="d:Other"/></s:getResponse>)"), "string", nullptr,
         "expected a value of type string, received Other"},
        {"unknown type name", Envelope(R"(<s:getResponse><r xsi:type="d:Nobody"/></s:getResponse>)"), "Item",
         nullptr, "unknown type urn:data:Nobody"},
        {"type of a namespace not ours",
         Envelope(R"(<s:getResponse><r xmlns:z="urn:z" xsi:type="z:Item"/></s:getResponse>)"), "Item",
         nullptr, "unknown type urn:z:Item"},
        {"bad number",
         Envelope(R"(<s:getResponse><r xsi:type="d:Item"><count>12x</count></r></s:getResponse>)"), "Item",
         nullptr, "invalid long value"},
        {"empty body", Envelope(""), "", nullptr, "Body is empty"},
    };
    const Codec codec = MakeCodec();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto expected = *c.expected ? std::optional<TypeRef>(Declared(c.expected)) : std::nullopt;
        if (c.error) {
            try {
                codec.DecodeResponse(c.xml, expected);
                ADD_FAILURE() << "decoded without error";
            } catch (const DecodeError& e) {
                EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << e.what();
            }
        } else {
            c.check(codec.DecodeResponse(c.xml, expected));
        }
    }
}

TEST(Codec, EntitiesAreNeverExpanded) {
    const Codec codec = MakeCodec();
    const Response r = codec.DecodeResponse(
        Envelope(
            R"(<s:getResponse><r xsi:type="d:Other"><name>&amp;&lt;&#x41;&ext;</name></r></s:getResponse>)"),
        Declared("Other"));
    EXPECT_EQ(ResultRecord(r).GetString("name"), "&<A&ext;");
}

TEST(Codec, DeclaredEncodingsAreRead) {
    const Codec codec = MakeCodec();
    auto withName = [](const std::string& name) {
        return Envelope(R"(<s:getResponse><r xsi:type="d:Other"><name>)" + name +
                        "</name></r></s:getResponse>");
    };
    std::string latin1 = withName("Plze\xF2");
    latin1.replace(latin1.find("UTF-8"), 5, "ISO-8859-1");
    const std::string utf8WithBom = "\xEF\xBB\xBF" + withName("Plze\xC3\xB2");
    for (const std::string& xml : {latin1, utf8WithBom})
        EXPECT_EQ(ResultRecord(codec.DecodeResponse(xml, Declared("Other"))).GetString("name"),
                  "Plze\xC3\xB2");
}

TEST(Codec, SizeCapRefusesBeforeParsing) {
    const Codec codec = MakeCodec();
    DecodeLimits limits;
    limits.maxBytes = 100;
    EXPECT_THROW(codec.DecodeResponse(Envelope("<s:getResponse/>"), std::nullopt, limits), DecodeError);
}

TEST(Codec, DepthLimitStopsDeepNesting) {
    std::string nested = R"(<r xsi:type="d:Holder">)";
    std::string close = "</r>";
    for (int i = 0; i < 40; ++i) {
        nested += R"(<any xsi:type="d:Holder">)";
        close += "</any>";
    }
    const Codec codec = MakeCodec();
    DecodeLimits limits;
    limits.maxDepth = 16;
    EXPECT_THROW(codec.DecodeResponse(Envelope("<s:getResponse>" + nested + close + "</s:getResponse>"),
                                      Declared("Holder"), limits),
                 DecodeError);
}

TEST(Scalars, Base64RoundTripsEveryTailLength) {
    for (std::size_t n = 0; n < 7; ++n) {
        Bytes bytes;
        for (std::size_t i = 0; i < n; ++i)
            bytes.push_back(static_cast<std::uint8_t>(0xF0 + i * 7));
        EXPECT_EQ(DecodeBase64(EncodeBase64(bytes)), bytes) << n;
    }
    EXPECT_EQ(EncodeBase64(Bytes{'M', 'a'}), "TWE=");
    EXPECT_EQ(DecodeBase64("TW\nE="), (Bytes{'M', 'a'}));
    EXPECT_THROW(DecodeBase64("TW*="), DecodeError);
    EXPECT_THROW(DecodeBase64("TWE=x"), DecodeError);
}

TEST(Scalars, DateTimeTexts) {
    struct Case {
        const char* text;
        DateTime value;
        const char* written;
    } const cases[] = {
        {"2024-01-31T00:00:00Z", DateTime::Date(2024, 1, 31), "2024-01-31T00:00:00.000Z"},
        {"1999-12-31T23:59:59.999-05:30",
         {1999, 12, 31, 23, 59, 59, 999, true, -330},
         "1999-12-31T23:59:59.999-05:30"},
        {"2024-02-29T08:00:00", {2024, 2, 29, 8, 0, 0, 0, false, 0}, "2024-02-29T08:00:00.000"},
        {" 2024-06-01T10:00:00.1234+02:00 ",
         {2024, 6, 1, 10, 0, 0, 123, true, 120},
         "2024-06-01T10:00:00.123+02:00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseDateTime(c.text), c.value) << c.text;
        EXPECT_EQ(FormatDateTime(c.value), c.written) << c.text;
    }
    for (const char* bad : {"2023-02-29T00:00:00Z", "2024-13-01T00:00:00Z", "2024-01-01",
                            "2024-01-01T25:00:00Z", "2024-01-01T00:00:00+1:00", "yesterday"})
        EXPECT_THROW(ParseDateTime(bad), DecodeError) << bad;
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
    Record a = MakeHolder();
    Record b = a;
    b.Mutable("child").AsRecord().Set("code", "changed");
    b.Mutable("items").AsArray().Items().clear();
    EXPECT_EQ(a.Get("child").AsRecord().GetString("code"), "child");
    EXPECT_EQ(a.Get("items").AsArray().Items().size(), 3u);
    EXPECT_FALSE(a == b);
}

TEST(Values, MembersCheckTheirDeclaredType) {
    Record h(Registry().Record("Holder"));
    EXPECT_THROW((void)h.Get("child").AsRecord(), ValueError);
    EXPECT_THROW(h.Set("child", Record(Registry().Record("Other"))), ValueError);
    EXPECT_NO_THROW(h.Set("child", Record(Registry().Record("Special"))));
    EXPECT_THROW(h.Set("price", Value(1.5)), ValueError);
    EXPECT_THROW(h.Set("nothing", Value(1)), ValueError);
    EXPECT_TRUE(h.Get("child").AsRecord().Is("Base"));
    EXPECT_FALSE(h.Get("child").AsRecord().Is("Other"));
    EXPECT_TRUE(Record(Registry().Record("Item")).Get("when").IsAbsent());
}

} // namespace
} // namespace platform::soap
