// Inside the scriptable server: resolving behaviours and recording calls.
#pragma once

#include "scriptable_server.h"

#include <string_view>
#include <vector>

namespace paginor::scripted {

Argument NumberArgument(std::int64_t number);
Argument TextArgument(BSTR text);
Argument ObjectArgument(IUnknown* object);

// Records the call and returns what to do; recordIndex identifies the record
// so that the object handed back can be noted on it.
Behaviour BeginCall(ObjectKind kind, int objectId, std::string_view operation,
                    std::vector<Argument> arguments, std::size_t* recordIndex = nullptr);
void NoteResultObject(std::size_t recordIndex, int objectId);
void RecordRelease(ObjectKind kind, int objectId);

int NewObjectId(); // also counts the object as alive
void ObjectDestroyed();

// Configured data, read by the objects.
std::vector<FieldSpec> CurrentFields();
void StoreFieldValue(std::size_t index, const std::u16string& value);
std::vector<std::u16string> CurrentTextItems();
std::u16string DocInfoValue(const std::u16string& key);

} // namespace paginor::scripted
