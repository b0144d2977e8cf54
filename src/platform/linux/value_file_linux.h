#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/host_services.h"

namespace zeltor {

// A value kept in a file of its own, as one readable line: its type, a blank, its data.
//
//   dword 1
//   sz /opt/halvorix/Qumbit.exe
//   expand_sz $HOME/bin
//
// A number is written in decimal. Text escapes a backslash as "\\", a line feed as "\n" and a
// carriage return as "\r", so that any text without NUL stays on one line and reads back the
// same. Other types are not kept: nothing asks for them.
std::optional<std::string> encodeValueFile(const RegistryValue& value);

// The value in `content`, or nothing when it is not one. With `plainTextAccepted` a file that
// does not start with a type is text as it stands, less its trailing line ends: that is how an
// administrator writes a machine-wide value by hand.
std::optional<RegistryValue> decodeValueFile(std::string_view content, bool plainTextAccepted);

}  // namespace zeltor
