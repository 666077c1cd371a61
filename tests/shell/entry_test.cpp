// The exported entry and the record a host reads right after it.
#include <gtest/gtest.h>

#include "tests/support/plugin_host.h"

TEST(Entry, Placeholder) { SUCCEED(); }
