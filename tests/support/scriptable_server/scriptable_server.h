// A scriptable automation server for tests. It implements every automation
// interface the plug-in calls, and a test linked against this library tells
// each operation what to answer and reads back every call that was made.
//
//   using namespace paginor::scripted;
//   ScopedScriptableServer server;                    // registry + clean script
//   Script().on("PDDoc.Open").answer(false);
//   Script().on("PDDoc.Save").failWithInfo(E_FAIL, u"disk full");
//   ... run the plug-in ...
//   EXPECT_EQ(Script().Operations("App."), (std::vector<std::string>{...}));
//
// Operation names are "<Object>.<Operation>": App, PDDoc, Viewer, Page,
// TextSelection, HiliteList, FormsApp, Fields, FieldEnum and Field, followed
// by the interface's operation name (see KnownOperations()). Creatable
// objects (App, PDDoc, HiliteList, FormsApp) also have "<Object>.Create" (the
// class factory) and "<Object>.Run" (the running state); every object records
// "<Object>.Release" when its last reference goes.
#pragma once

#include "com/com.h"
#include "com/com_registry.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace paginor::scripted {

enum class ObjectKind {
    App,
    PDDoc,
    Viewer,
    Page,
    TextSelection,
    HiliteList,
    FormsApp,
    Fields,
    FieldEnum,
    Field,
};
std::string_view KindName(ObjectKind kind);

// Class identities of the four creatable objects.
extern const CLSID kClsidApp;
extern const CLSID kClsidPDDoc;
extern const CLSID kClsidHiliteList;
extern const CLSID kClsidFormsApp;

// What one operation does when called. The default is a plausible happy path.
struct Behaviour {
    enum class Kind { Default, Answer, Fail, NoObject, RefuseNarrowing };
    Kind kind = Kind::Default;
    std::variant<std::monostate, bool, LONG, std::u16string, ObjectKind> value;
    HRESULT status = S_OK;
    bool setsErrorInfo = false;
    std::u16string description;
    bool supportsErrorInfo = true;

    Behaviour& answer(bool flag);
    Behaviour& answer(LONG number);
    Behaviour& answer(std::u16string text);
    Behaviour& answer(const char16_t* text) { return answer(std::u16string(text)); }
    Behaviour& answerFalse() { return answer(false); }
    // An object operation hands back a new object of this kind instead.
    Behaviour& answerObject(ObjectKind kind);
    // Fails with this status and clears the thread's error information.
    // supportsErrorInfo is what the object's ISupportErrorInfo then says for
    // the failing interface.
    Behaviour& fail(HRESULT hr, bool supportsErrorInfo = true);
    // Fails and sets error information with this description.
    Behaviour& failWithInfo(HRESULT hr, std::u16string description, bool supportsErrorInfo = true);
    // An object operation answers S_OK with a null object.
    Behaviour& noObject();
    // The object handed back (or created) refuses its own interface.
    Behaviour& refuseNarrowing();
};

// One field of the fields collection.
enum class ElementKind {
    Dispatch,         // an IDispatch field object (the normal case)
    NonObject,        // a VT_BSTR element holding the name, not an object
    RefusesFormField, // an object that refuses the field interface
};
struct FieldSpec {
    std::u16string name;
    std::u16string value;
    bool keep = true;  // the keep flag (operation 3)
    bool skip = false; // the skip flag (operation 5)
    ElementKind element = ElementKind::Dispatch;
    std::u16string type = u"text";
};

struct Argument {
    enum class Type { Number, Text, Object };
    Type type = Type::Number;
    std::int64_t number = 0;
    std::u16string text;
    int objectId = 0; // 0: null or not one of this server's objects

    std::string Utf8() const; // text as UTF-8, numbers and ids in decimal
    bool operator==(const Argument&) const = default;
};

struct CallRecord {
    ObjectKind kind;
    int objectId;
    std::string operation; // "PDDoc.Save"
    std::vector<Argument> arguments;
    int resultObjectId = 0; // the object handed back, if any

    // e.g. PDDoc#3.Save(1, "/tmp/a.pdf") -> #7
    std::string Describe() const;
};

class ScriptControl {
public:
    // The behaviour for every call of an operation (throws std::invalid_argument
    // for an unknown name, so typos fail loudly).
    Behaviour& on(std::string_view operation);
    // The behaviour for only the n-th call (1-based, counted since Reset).
    Behaviour& onCall(std::string_view operation, int n);

    // Runs `observer` inside every later call (after it is recorded, before it
    // answers), on the calling thread: to see what holds while a call runs.
    void ObserveCalls(std::function<void(const CallRecord&)> observer);

    // Forgets all behaviours, calls and the observer; restores the default fields, text
    // items and document information. Live objects stay alive.
    void Reset();

    void SetFields(std::vector<FieldSpec> fields);
    std::vector<FieldSpec> Fields() const; // values include writes made since
    void SetTextItems(std::vector<std::u16string> items);
    void SetDocInfo(const std::u16string& key, const std::u16string& value);
    std::optional<std::u16string> DocInfo(const std::u16string& key) const;

    std::vector<CallRecord> Calls() const;
    std::vector<CallRecord> CallsTo(std::string_view operation) const;
    // Operation names in call order, optionally only those starting with prefix.
    std::vector<std::string> Operations(std::string_view prefix = {}) const;
    std::size_t CallCount(std::string_view operation) const;

    // Objects of this server still alive (creatable objects, documents,
    // fields, enumerators, ...), to prove that nothing leaked.
    int LiveObjects() const;
};

ScriptControl& Script();
const std::vector<std::string>& KnownOperations();

// The registry file generated by the build, naming this library for all four
// ProgIDs.
std::string GeneratedRegistryPath();
// Writes a registry naming this library for every ProgID except `omitted`.
void WriteRegistry(const std::string& path, const std::vector<std::u16string>& omitted = {});

// Points the COM runtime at the generated registry (or another) and resets
// the script, for the life of the object.
class ScopedScriptableServer {
public:
    explicit ScopedScriptableServer(std::string registryPath = GeneratedRegistryPath());
    ~ScopedScriptableServer();
    ScopedScriptableServer(const ScopedScriptableServer&) = delete;
    ScopedScriptableServer& operator=(const ScopedScriptableServer&) = delete;

private:
    ComRegistryOverride override_;
};

} // namespace paginor::scripted
