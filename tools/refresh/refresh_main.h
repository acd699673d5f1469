// The refresh program: the data-source update behind a wait notice.
#pragma once

// 0 when the notice ran (or another copy already runs); 1 when it could not
// be shown (no resource library, no driver library, no terminal), after
// saying why on standard error.
int RefreshMain();
