// Local date through localtime_r.
#include "platform/local_date.h"

#include <ctime>

namespace vistrel {

CalendarDate localDate() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return {};
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

}  // namespace vistrel
