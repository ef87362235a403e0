// For the tests that check a path allocates nothing once warm: link counting_new.cpp into the
// test's own executable, which then counts every allocation through operator new.
#pragma once

long allocationsSoFar();
