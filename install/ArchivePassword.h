// The password of the data volumes' entries. The run gives it to the unzip component and
// zipvol pack encrypts with it; both take it from here, so the two can never disagree.
#pragma once

inline constexpr const char* ArchivePassword = "4817263950428173659042817365091847";
