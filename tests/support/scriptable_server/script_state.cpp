#include "script_state.h"

#include "text_encoding/utf_conversion.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>

namespace paginor::scripted {

namespace {

std::vector<FieldSpec> DefaultFields() {
    return {{u"Name", u"Alice"}, {u"City", u"Paris"}};
}

std::vector<std::u16string> DefaultTextItems() {
    return {u"Hello ", u"world"};
}

struct State {
    std::mutex mutex;
    std::map<std::string, Behaviour, std::less<>> always;
    std::map<std::pair<std::string, int>, Behaviour> onlyCall;
    std::map<std::string, int, std::less<>> callCounts;
    std::vector<CallRecord> calls;
    std::vector<FieldSpec> fields = DefaultFields();
    std::vector<std::u16string> textItems = DefaultTextItems();
    std::map<std::u16string, std::u16string> docInfo;
    std::function<void(const CallRecord&)> observer;
};

State& TheState() {
    static State state;
    return state;
}

std::atomic<int> g_liveObjects{0};
std::atomic<int> g_nextObjectId{1};

void RequireKnown(std::string_view operation) {
    const auto& known = KnownOperations();
    if (std::find(known.begin(), known.end(), operation) == known.end()) {
        throw std::invalid_argument("unknown scripted operation: " + std::string(operation));
    }
}

} // namespace

const std::vector<std::string>& KnownOperations() {
    static const std::vector<std::string> names = {
        "App.Create",
        "App.Run",
        "App.EndApplication",
        "App.Hide",
        "App.Show",
        "App.CloseAllDocuments",
        "PDDoc.Create",
        "PDDoc.Run",
        "PDDoc.Open",
        "PDDoc.Close",
        "PDDoc.InsertPages",
        "PDDoc.DeletePages",
        "PDDoc.GetNumPages",
        "PDDoc.GetInfo",
        "PDDoc.SetInfo",
        "PDDoc.AcquirePage",
        "PDDoc.OpenInViewer",
        "PDDoc.Save",
        "Viewer.GetPDDocument",
        "Viewer.SetTextSelection",
        "Viewer.PrintPages",
        "Viewer.PrintPagesEx",
        "Page.CreateTextSelection",
        "TextSelection.GetNumText",
        "TextSelection.GetText",
        "HiliteList.Create",
        "HiliteList.Run",
        "HiliteList.Add",
        "FormsApp.Create",
        "FormsApp.Run",
        "FormsApp.get_Fields",
        "Fields.get_Count",
        "Fields.get__NewEnum",
        "FieldEnum.Next",
        "Field.get_Name",
        "Field.get_Value",
        "Field.put_Value",
        "Field.get_IsTerminal",
        "Field.get_Type",
        "Field.get_IsNotUserValue",
    };
    return names;
}

std::string_view KindName(ObjectKind kind) {
    switch (kind) {
    case ObjectKind::App:
        return "App";
    case ObjectKind::PDDoc:
        return "PDDoc";
    case ObjectKind::Viewer:
        return "Viewer";
    case ObjectKind::Page:
        return "Page";
    case ObjectKind::TextSelection:
        return "TextSelection";
    case ObjectKind::HiliteList:
        return "HiliteList";
    case ObjectKind::FormsApp:
        return "FormsApp";
    case ObjectKind::Fields:
        return "Fields";
    case ObjectKind::FieldEnum:
        return "FieldEnum";
    case ObjectKind::Field:
        return "Field";
    }
    return "?";
}

// ---- Behaviour ------------------------------------------------------------

Behaviour& Behaviour::answer(bool flag) {
    *this = Behaviour{};
    kind = Kind::Answer;
    value = flag;
    return *this;
}
Behaviour& Behaviour::answer(LONG number) {
    *this = Behaviour{};
    kind = Kind::Answer;
    value = number;
    return *this;
}
Behaviour& Behaviour::answer(std::u16string text) {
    *this = Behaviour{};
    kind = Kind::Answer;
    value = std::move(text);
    return *this;
}
Behaviour& Behaviour::answerObject(ObjectKind objectKind) {
    *this = Behaviour{};
    kind = Kind::Answer;
    value = objectKind;
    return *this;
}
Behaviour& Behaviour::fail(HRESULT hr, bool supports) {
    *this = Behaviour{};
    kind = Kind::Fail;
    status = hr;
    supportsErrorInfo = supports;
    return *this;
}
Behaviour& Behaviour::failWithInfo(HRESULT hr, std::u16string text, bool supports) {
    fail(hr, supports);
    setsErrorInfo = true;
    description = std::move(text);
    return *this;
}
Behaviour& Behaviour::noObject() {
    *this = Behaviour{};
    kind = Kind::NoObject;
    return *this;
}
Behaviour& Behaviour::refuseNarrowing() {
    *this = Behaviour{};
    kind = Kind::RefuseNarrowing;
    return *this;
}

// ---- Records --------------------------------------------------------------

std::string Argument::Utf8() const {
    switch (type) {
    case Type::Number:
        return std::to_string(number);
    case Type::Text:
        return Utf16ToUtf8(text);
    case Type::Object:
        return "#" + std::to_string(objectId);
    }
    return {};
}

std::string CallRecord::Describe() const {
    std::string text = std::string(KindName(kind)) + "#" + std::to_string(objectId) +
                       operation.substr(operation.find('.')) + "(";
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) {
            text += ", ";
        }
        const Argument& a = arguments[i];
        text += a.type == Argument::Type::Text ? "\"" + a.Utf8() + "\"" : a.Utf8();
    }
    text += ")";
    if (resultObjectId != 0) {
        text += " -> #" + std::to_string(resultObjectId);
    }
    return text;
}

Argument NumberArgument(std::int64_t number) {
    Argument a;
    a.number = number;
    return a;
}

Argument TextArgument(BSTR text) {
    Argument a;
    a.type = Argument::Type::Text;
    if (text != nullptr) {
        a.text.assign(text, SysStringLen(text));
    }
    return a;
}

Behaviour BeginCall(ObjectKind kind, int objectId, std::string_view operation,
                    std::vector<Argument> arguments, std::size_t* recordIndex) {
    State& state = TheState();
    std::function<void(const CallRecord&)> observer;
    std::optional<CallRecord> record;
    Behaviour behaviour;
    {
        std::lock_guard lock(state.mutex);
        state.calls.push_back({kind, objectId, std::string(operation), std::move(arguments), 0});
        if (recordIndex != nullptr) {
            *recordIndex = state.calls.size() - 1;
        }
        const int number = ++state.callCounts[std::string(operation)];
        if (const auto one = state.onlyCall.find({std::string(operation), number});
            one != state.onlyCall.end()) {
            behaviour = one->second;
        } else if (const auto every = state.always.find(operation); every != state.always.end()) {
            behaviour = every->second;
        }
        if (state.observer) {
            observer = state.observer;
            record = state.calls.back();
        }
    }
    // Outside the lock: the observer may read the script.
    if (observer) {
        observer(*record);
    }
    return behaviour;
}

void NoteResultObject(std::size_t recordIndex, int objectId) {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    if (recordIndex < state.calls.size()) {
        state.calls[recordIndex].resultObjectId = objectId;
    }
}

void RecordRelease(ObjectKind kind, int objectId) {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    state.calls.push_back({kind, objectId, std::string(KindName(kind)) + ".Release", {}, 0});
}

int NewObjectId() {
    ++g_liveObjects;
    return g_nextObjectId++;
}

void ObjectDestroyed() {
    --g_liveObjects;
}

std::vector<FieldSpec> CurrentFields() {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    return state.fields;
}

void StoreFieldValue(std::size_t index, const std::u16string& value) {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    if (index < state.fields.size()) {
        state.fields[index].value = value;
    }
}

std::vector<std::u16string> CurrentTextItems() {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    return state.textItems;
}

std::u16string DocInfoValue(const std::u16string& key) {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    const auto found = state.docInfo.find(key);
    return found == state.docInfo.end() ? std::u16string() : found->second;
}

// ---- Control ----------------------------------------------------------------

ScriptControl& Script() {
    static ScriptControl control;
    return control;
}

Behaviour& ScriptControl::on(std::string_view operation) {
    RequireKnown(operation);
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    return state.always[std::string(operation)];
}

Behaviour& ScriptControl::onCall(std::string_view operation, int n) {
    RequireKnown(operation);
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    return state.onlyCall[{std::string(operation), n}];
}

void ScriptControl::Reset() {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    state.always.clear();
    state.onlyCall.clear();
    state.callCounts.clear();
    state.calls.clear();
    state.fields = DefaultFields();
    state.textItems = DefaultTextItems();
    state.docInfo.clear();
    state.observer = nullptr;
}

void ScriptControl::ObserveCalls(std::function<void(const CallRecord&)> observer) {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    state.observer = std::move(observer);
}

void ScriptControl::SetFields(std::vector<FieldSpec> fields) {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    state.fields = std::move(fields);
}

std::vector<FieldSpec> ScriptControl::Fields() const {
    return CurrentFields();
}

void ScriptControl::SetTextItems(std::vector<std::u16string> items) {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    state.textItems = std::move(items);
}

void ScriptControl::SetDocInfo(const std::u16string& key, const std::u16string& value) {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    state.docInfo[key] = value;
}

std::optional<std::u16string> ScriptControl::DocInfo(const std::u16string& key) const {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    const auto found = state.docInfo.find(key);
    if (found == state.docInfo.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::vector<CallRecord> ScriptControl::Calls() const {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    return state.calls;
}

std::vector<CallRecord> ScriptControl::CallsTo(std::string_view operation) const {
    std::vector<CallRecord> result;
    for (auto& call : Calls()) {
        if (call.operation == operation) {
            result.push_back(std::move(call));
        }
    }
    return result;
}

std::vector<std::string> ScriptControl::Operations(std::string_view prefix) const {
    std::vector<std::string> result;
    for (auto& call : Calls()) {
        if (call.operation.starts_with(prefix)) {
            result.push_back(std::move(call.operation));
        }
    }
    return result;
}

std::size_t ScriptControl::CallCount(std::string_view operation) const {
    return CallsTo(operation).size();
}

int ScriptControl::LiveObjects() const {
    return g_liveObjects;
}

} // namespace paginor::scripted
