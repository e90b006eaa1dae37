// Messages of failed loads, with the file-open error table for open failures.
#include "document/load_error.h"

#include "platform/files.h"

namespace vistrel {

std::string loadErrorMessage(const LoadError& error) {
  switch (error.kind) {
    case LoadError::None:
      return {};
    case LoadError::OpenFailed: {
      const char* text = fileOpenErrorText(error.openErrorCode);
      return text != nullptr ? text : kCannotOpenMessage;
    }
    case LoadError::NoMemory:
      return kNoMemoryToOpenMessage;
    case LoadError::Unreadable:
      return kUnreadableMessage;
    case LoadError::Corrupt:
      return kCorruptDataMessage;
  }
  return {};
}

bool isOwnerlessMessage(const LoadError& error) {
  return error.kind == LoadError::Unreadable;
}

}  // namespace vistrel
