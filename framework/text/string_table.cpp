#include "framework/text/string_table.h"

#include <cstring>

#include "framework/app/grow_array.h"

namespace {

uint16_t RecordId(const unsigned char* record) {
  uint16_t id;
  memcpy(&id, record, sizeof(id));
  return id;
}

void SwapRecords(unsigned char* a, unsigned char* b, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    unsigned char t = a[i];
    a[i] = b[i];
    b[i] = t;
  }
}

}  // namespace

int32_t SortTextTable(void* table, size_t recordSize) {
  if (!table || recordSize < sizeof(uint16_t)) return 0;
  unsigned char* base = static_cast<unsigned char*>(table);
  int32_t count = 0;
  while (RecordId(base + size_t(count) * recordSize) != kTextTableEnd) ++count;
  for (int32_t i = 0; i < count; ++i) {
    unsigned char* first = base + size_t(i) * recordSize;
    for (int32_t j = i + 1; j < count; ++j) {
      unsigned char* later = base + size_t(j) * recordSize;
      if (RecordId(later) < RecordId(first)) SwapRecords(first, later, recordSize);
    }
  }
  return count;
}

CStringTable::CStringTable()
    : languageNames_{"English", "Deutsch"}, tables_{}, counts_{}, language_(0) {
  tables_[kFramework0] = gFrameworkTexts;
  counts_[kFramework0] = SortTextTable(gFrameworkTexts, sizeof(TextRecord));
}

int CStringTable::SetLanguageTable(int language, TextRecord* table) {
  if (language < 0 || language >= kLanguageCount) return kStatusBadLanguage;
  if (!table) table = tables_[kApp0];
  int slot = kApp0 + language;
  if (table && !tables_[slot]) {
    tables_[slot] = table;
    counts_[slot] = SortTextTable(table, sizeof(TextRecord));
  }
  return 0;
}

int CStringTable::SetLanguage(int language) {
  if (language < 0 || language >= kLanguageCount) return kStatusBadLanguage;
  language_ = language;
  return 0;
}

const char* CStringTable::GetLanguageName(int language) const {
  if (language < 0 || language >= kLanguageCount) return nullptr;
  return languageNames_[language];
}

TextRecord* CStringTable::Find(uint16_t id, int language, bool framework) const {
  int first = framework ? kFramework0 : kApp0;
  int slot = first + language;
  // A language without a table of its own speaks language 0.
  if (!tables_[slot]) slot = first;
  TextRecord* table = tables_[slot];
  if (!table) return nullptr;
  int32_t index =
      FindSortedIndex(counts_[slot], id, [table](int32_t i) { return table[i].wId; });
  return index < 0 ? nullptr : &table[index];
}

const char* CStringTable::GetText(uint16_t id, int variant) const {
  if (id == kTextTableEnd || variant < 0 || variant >= kTextVariants) return nullptr;
  const TextRecord* record = Find(id, language_, id >= kFirstFrameworkTextId);
  return record ? record->apszText[variant] : nullptr;
}

void CStringTable::SetText(uint16_t id, int variant, const char* text) {
  if (id == kTextTableEnd || variant < 0 || variant >= kTextVariants) return;
  // Only the current language's own program table is patched.
  if (!tables_[kApp0 + language_]) return;
  TextRecord* record = Find(id, language_, false);
  if (record) record->apszText[variant] = text;
}
