// Today's date in the local time zone.
#pragma once

namespace vistrel {

struct CalendarDate {
  int year = 1970;
  int month = 1;  ///< 1 to 12
  int day = 1;
};

CalendarDate localDate();

}  // namespace vistrel
