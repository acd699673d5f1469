// Whether a statement may take on a new text or catalog result.
#pragma once

struct DrvStmt;

// True when a catalog function or a prepare may go on; an executed
// statement without a result set is closed first, an open result set
// refuses with 24000.
bool StmtCheckCatalogState(DrvStmt* statement);
