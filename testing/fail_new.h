// Makes the global operator new fail on demand, so that tests can reach the
// out-of-memory paths of code built on the standard containers.
#pragma once

// The n-th allocation through operator new from now throws bad_alloc (1
// means the next one); 0 switches failures off. Counts allocations of every
// thread.
void FailNewAfter(long n);
