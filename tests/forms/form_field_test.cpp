// The form-field functions: enumeration into the cache, look-up by exact
// name, the listing, and every failure.
#include "form_test_support.h"

#include <functional>

namespace {

void Nothing(SessionFixture&) {}
void OpenFirst(SessionFixture& session) {
    ASSERT_EQ(session.Open(), "0");
}

FieldSpec Field(std::u16string name, std::u16string value = u"v") {
    FieldSpec field;
    field.name = std::move(name);
    field.value = std::move(value);
    return field;
}
FieldSpec With(FieldSpec field, const std::function<void(FieldSpec&)>& change) {
    change(field);
    return field;
}

struct EnumerationRow {
    std::string name;
    std::vector<FieldSpec> fields;
    std::vector<std::string> listed; // sorted
    std::string lookup;
    std::string value; // what reading `lookup` gives
};

const std::vector<EnumerationRow>& EnumerationRows() {
    static const std::vector<EnumerationRow> rows = {
        {"TerminalAndNonTerminal",
         {Field(u"A", u"1"), With(Field(u"Parent"), [](FieldSpec& f) { f.keep = false; }),
          Field(u"C", u"3")},
         {"A", "C"},
         "Parent",
         "0"},
        {"SkipFlagged",
         {Field(u"A", u"1"), With(Field(u"Calculated"), [](FieldSpec& f) { f.skip = true; })},
         {"A"},
         "Calculated",
         "0"},
        {"NonObjectElements",
         {With(Field(u"Text"), [](FieldSpec& f) { f.element = ElementKind::NonObject; }),
          Field(u"B", u"2")},
         {"B"},
         "B",
         "2"},
        {"DuplicateNamesKeepTheLater",
         {Field(u"X", u"first"), Field(u"X", u"second")},
         {"X"},
         "X",
         "second"},
        {"NoFields", {}, {}, "X", "0"},
        {"AllSkipped", {With(Field(u"A"), [](FieldSpec& f) { f.skip = true; })}, {}, "A", "0"},
        {"NamesWithDots",
         {Field(u"form.page1.name", u"dotted"), Field(u"form")},
         {"form", "form.page1.name"},
         "form.page1.name",
         "dotted"},
        {"CaseSensitiveLookUp", {Field(u"Name", u"Alice")}, {"Name"}, "name", "0"},
        {"EmptyValue", {Field(u"Empty", u"")}, {"Empty"}, "Empty", ""},
    };
    return rows;
}

void PrintTo(const EnumerationRow& row, std::ostream* out) {
    *out << row.name;
}

class FieldEnumeration : public ::testing::TestWithParam<EnumerationRow> {};

TEST_P(FieldEnumeration, CachesUsableFields) {
    const EnumerationRow& row = GetParam();
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    Script().SetFields(row.fields);
    OpenFirst(session);
    EXPECT_EQ(ListedNames(TextOf(CallWith(session, "QELT_GetFieldNames", {}))), row.listed);
    EXPECT_EQ(TextOf(CallWith(session, "QELT_GetPDFFieldValue", {row.lookup})), row.value);
    EXPECT_EQ(LastError(session), "0 Success");
}

INSTANTIATE_TEST_SUITE_P(Rows, FieldEnumeration, ::testing::ValuesIn(EnumerationRows()),
                         [](const auto& info) { return info.param.name; });

struct FailureRow {
    std::string name;
    std::string function;
    std::vector<std::string> params;
    std::function<void(SessionFixture&)> arrange;
    std::string result;
    std::string error;
    std::vector<std::u16string> omittedProgIds = {};
};

void FieldsFail(SessionFixture& session) {
    OpenFirst(session);
    Script().on("FormsApp.Create").fail(E_OUTOFMEMORY);
}

const std::vector<FailureRow>& FailureRows() {
    static const std::vector<FailureRow> rows = {
        // An empty name is refused before the document is looked at.
        {"SetEmptyName",
         "QELT_SetPDFFieldValue",
         {"", "x"},
         Nothing,
         "!!ERROR!!",
         "-4 Invalid Parameter value(s)"},
        {"GetEmptyName",
         "QELT_GetPDFFieldValue",
         {""},
         Nothing,
         "!!ERROR!!",
         "-4 Invalid Parameter value(s)"},
        {"SetWithoutDocument",
         "QELT_SetPDFFieldValue",
         {"Name", "x"},
         Nothing,
         "!!ERROR!!",
         "-2000 No PDF Document opened"},
        {"GetWithoutDocument",
         "QELT_GetPDFFieldValue",
         {"Name"},
         Nothing,
         "!!ERROR!!",
         "-2000 No PDF Document opened"},
        {"NamesWithoutDocument",
         "QELT_GetFieldNames",
         {},
         Nothing,
         "!!ERROR!!",
         "-2009 Unable to access fields in document"},
        {"FormsClassUnknown",
         "QELT_GetPDFFieldValue",
         {"Name"},
         OpenFirst,
         "!!ERROR!!",
         "-200 Library failed to loadClassid for AFormAut.App",
         {u"AFormAut.App"}},
        {"FormsNotCreated",
         "QELT_SetPDFFieldValue",
         {"Name", "x"},
         FieldsFail,
         "!!ERROR!!",
         "-200 Library failed to loadAFormAut.App"},
        {"NamesWithoutForms",
         "QELT_GetFieldNames",
         {},
         FieldsFail,
         "!!ERROR!!",
         "-2009 Unable to access fields in document"},
        {"ShowFails",
         "QELT_GetPDFFieldValue",
         {"Name"},
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("App.Show").fail(E_FAIL);
         },
         "!!ERROR!!",
         "-999 COM ExceptionError:80004005 Description: "},
        {"NoFieldCollectionGet",
         "QELT_GetPDFFieldValue",
         {"Name"},
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("FormsApp.get_Fields").noObject();
         },
         "",
         "0 Success"},
        {"NoFieldCollectionSet",
         "QELT_SetPDFFieldValue",
         {"Name", "x"},
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("FormsApp.get_Fields").refuseNarrowing();
         },
         "",
         "0 Success"},
        {"NoFieldCollectionNames",
         "QELT_GetFieldNames",
         {},
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("FormsApp.get_Fields").noObject();
         },
         "!!ERROR!!",
         "-2009 Unable to access fields in document"},
        {"EnumeratorFails",
         "QELT_GetPDFFieldValue",
         {"Name"},
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("Fields.get__NewEnum").failWithInfo(E_FAIL, u"no enumerator");
         },
         "!!ERROR!!",
         "-999 COM ExceptionError:80004005 Description: no enumerator"},
        // A failing fetch only ends the walk.
        {"FetchFails",
         "QELT_GetPDFFieldValue",
         {"Name"},
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("FieldEnum.Next").fail(E_FAIL);
         },
         "0",
         "0 Success"},
        {"ElementRefusesFieldInterface",
         "QELT_GetPDFFieldValue",
         {"Name"},
         [](SessionFixture& session) {
             Script().SetFields({Field(u"Name"), With(Field(u"Odd"), [](FieldSpec& f) {
                                     f.element = ElementKind::RefusesFormField;
                                 })});
             OpenFirst(session);
         },
         "!!ERROR!!",
         "-999 COM ExceptionError:80004003 Description: "},
        {"ValueReadFails",
         "QELT_GetPDFFieldValue",
         {"Name"},
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("Field.get_Value").failWithInfo(E_FAIL, u"locked");
         },
         "!!ERROR!!",
         "-999 COM ExceptionError:80004005 Description: locked"},
        {"ValueWriteFails",
         "QELT_SetPDFFieldValue",
         {"Name", "Bob"},
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("Field.put_Value").fail(E_ACCESSDENIED);
         },
         "!!ERROR!!",
         "-999 COM ExceptionError:80070005 Description: "},
    };
    return rows;
}

void PrintTo(const FailureRow& row, std::ostream* out) {
    *out << row.name;
}

class FieldFailure : public ::testing::TestWithParam<FailureRow> {};

TEST_P(FieldFailure, IsReported) {
    const FailureRow& row = GetParam();
    SessionFixture session(row.omittedProgIds);
    ASSERT_TRUE(session.Start());
    row.arrange(session);
    ASSERT_FALSE(HasFatalFailure());
    plugin_host::CallResult result;
    switch (row.params.size()) {
    case 0:
        result = CallWith(session, row.function, {});
        break;
    case 1:
        result = CallWith(session, row.function, {row.params[0]});
        break;
    default:
        result = CallWith(session, row.function, {row.params[0], row.params[1]});
        break;
    }
    EXPECT_EQ(TextOf(result), row.result);
    EXPECT_EQ(LastError(session), row.error);
}

INSTANTIATE_TEST_SUITE_P(Rows, FieldFailure, ::testing::ValuesIn(FailureRows()),
                         [](const auto& info) { return info.param.name; });

TEST(FieldNames, BarOnlyWhenTheHostReadsTrue) {
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    Script().SetFields({Field(u"A"), Field(u"B")});
    OpenFirst(session);
    EXPECT_EQ(ListedNames(TextOf(CallWith(session, "QELT_GetFieldNames", {1}))),
              (std::vector<std::string>{"A|", "B|"}));
    EXPECT_EQ(ListedNames(TextOf(CallWith(session, "QELT_GetFieldNames", {0}))),
              (std::vector<std::string>{"A", "B"}));
    // The host reads text as a number: "true" is not one.
    EXPECT_EQ(ListedNames(TextOf(CallWith(session, "QELT_GetFieldNames", {"true"}))),
              (std::vector<std::string>{"A", "B"}));
    // Values are never read for the listing.
    EXPECT_EQ(Script().CallCount("Field.get_Value"), 0u);
}

TEST(FieldNames, ListedInTheOrderTheFormHandsThemOut) {
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    Script().SetFields({Field(u"zip", u"1"), Field(u"address", u"2"), Field(u"name", u"3"),
                        Field(u"address", u"4")});
    OpenFirst(session);
    // Not sorted, not hashed: the form's order, a repeated name where it first came.
    EXPECT_EQ(TextOf(CallWith(session, "QELT_GetFieldNames", {})), "zip\raddress\rname\r");
    EXPECT_EQ(TextOf(CallWith(session, "QELT_GetFieldNames", {1})), "zip|\raddress|\rname|\r");
    EXPECT_EQ(TextOf(CallWith(session, "QELT_GetPDFFieldValue", {"address"})), "4");
}

TEST(FieldValues, WrittenThroughTheCache) {
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    OpenFirst(session);
    EXPECT_EQ(TextOf(CallWith(session, "QELT_SetPDFFieldValue", {"Name", "Bob"})), "0");
    EXPECT_EQ(TextOf(CallWith(session, "QELT_GetPDFFieldValue", {"Name"})), "Bob");
    EXPECT_EQ(TextOf(CallWith(session, "QELT_SetPDFFieldValue", {"City", ""})), "0");
    EXPECT_EQ(TextOf(CallWith(session, "QELT_GetPDFFieldValue", {"City"})), "");
    // A name in another letter case is a different, uncached name.
    EXPECT_EQ(TextOf(CallWith(session, "QELT_SetPDFFieldValue", {"name", "Eve"})), "0");
    EXPECT_EQ(TextOf(CallWith(session, "QELT_GetPDFFieldValue", {"Name"})), "Bob");
    // One enumeration serves every request on the same document.
    EXPECT_EQ(Script().CallCount("Fields.get__NewEnum"), 1u);
    EXPECT_EQ(Script().CallCount("FormsApp.Create"), 1u);
}

TEST(FieldCache, RebuiltAfterReopening) {
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    Script().SetFields({Field(u"Old", u"1")});
    OpenFirst(session);
    EXPECT_EQ(TextOf(CallWith(session, "QELT_GetPDFFieldValue", {"Old"})), "1");
    ASSERT_EQ(session.Call("QELT_ClosePDF"), "0");
    Script().SetFields({Field(u"New", u"2")});
    OpenFirst(session);
    EXPECT_EQ(TextOf(CallWith(session, "QELT_GetPDFFieldValue", {"Old"})), "0");
    EXPECT_EQ(TextOf(CallWith(session, "QELT_GetPDFFieldValue", {"New"})), "2");
    EXPECT_EQ(Script().CallCount("FormsApp.Create"), 2u);
    EXPECT_EQ(Script().CallCount("Fields.get__NewEnum"), 2u);
}

TEST(FieldCache, EmptiedAfterAnEnumerationFailure) {
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    Script().SetFields(
        {Field(u"First", u"1"),
         With(Field(u"Odd"), [](FieldSpec& f) { f.element = ElementKind::RefusesFormField; }),
         Field(u"Last", u"3")});
    OpenFirst(session);
    EXPECT_EQ(TextOf(CallWith(session, "QELT_GetPDFFieldValue", {"First"})), "!!ERROR!!");
    // The next request enumerates again rather than trusting a partial cache.
    Script().SetFields({Field(u"First", u"1"), Field(u"Last", u"3")});
    EXPECT_EQ(TextOf(CallWith(session, "QELT_GetPDFFieldValue", {"Last"})), "3");
    EXPECT_EQ(Script().CallCount("Fields.get__NewEnum"), 2u);
}

TEST(FieldCache, ReleasesReplacedDuplicates) {
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    Script().SetFields({Field(u"X", u"1"), Field(u"X", u"2"), Field(u"X", u"3")});
    OpenFirst(session);
    EXPECT_EQ(TextOf(CallWith(session, "QELT_GetPDFFieldValue", {"X"})), "3");
    // The two replaced fields are gone while the document is still open.
    std::size_t fieldReleases = 0;
    for (const std::string& operation : Script().Operations("Field.Release")) {
        fieldReleases += operation == "Field.Release" ? 1 : 0;
    }
    EXPECT_EQ(fieldReleases, 2u);
}

} // namespace
