#include <strings.h>

#include "platform/dialog.h"

const DlgTemplate* DlgFindInTable(const DlgTemplateTable* table, DlgRes which) {
  if (table == nullptr || table->version != kDlgTemplateVersion || table->templates == nullptr)
    return nullptr;
  for (uint32_t i = 0; i < table->count; ++i) {
    const DlgTemplate& candidate = table->templates[i];
    if (which.name != nullptr) {
      if (candidate.name != nullptr && strcasecmp(candidate.name, which.name) == 0)
        return &candidate;
    } else if (which.id != 0 && candidate.id == which.id) {
      return &candidate;
    }
  }
  return nullptr;
}

const DlgTemplate* DlgFindTemplate(PlatModule module, DlgRes which) {
  // The main program holds no templates: a null module means none is loaded.
  if (module == nullptr) return nullptr;
  const auto* table =
      static_cast<const DlgTemplateTable*>(PlatModuleSymbol(module, kDlgTemplateSymbol));
  return DlgFindInTable(table, which);
}
