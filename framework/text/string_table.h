#pragma once
// Every user-interface text by a 16-bit id and a variant. Ids from 0xF000 up
// come from the framework's own table, all others from the program's table,
// which the program installs at start-up. Tables are writable arrays ended by
// a record with id 0xFFFF, written in any order and sorted when installed.
#include <cstddef>
#include <cstdint>

constexpr int kTextVariants = 16;
constexpr uint16_t kTextTableEnd = 0xFFFF;
constexpr uint16_t kFirstFrameworkTextId = 0xF000;
constexpr int kLanguageCount = 2;  // 0 "English", 1 "Deutsch"
constexpr int kStatusBadLanguage = 61446;

// Variants in use: 0 the text or label, 1 a second text (shortcut name or
// short form), 2 the status-line description, 3 the tooltip; dialogs and
// messages number further variants themselves. Null: no such variant.
struct TextRecord {
  uint16_t wId;
  const char* apszText[kTextVariants];
};

// The framework's own texts (language 0), ended by the 0xFFFF record.
extern TextRecord gFrameworkTexts[];

// Sorts a table of records that start with a 16-bit id in place (a plain
// exchange sort; the end record stays last); returns the record count.
int32_t SortTextTable(void* table, size_t recordSize);

class CStringTable {
 public:
  CStringTable();

  // Installs the program's table of a language (null: language 0's table).
  // A language that already has a table keeps it. 0, or kStatusBadLanguage.
  int SetLanguageTable(int language, TextRecord* table);
  // The language that lookups use; 0 or kStatusBadLanguage (kept unchanged).
  int SetLanguage(int language);
  int GetLanguage() const { return language_; }
  const char* GetLanguageName(int language) const;

  // The text, or null when the id is 0xFFFF, the variant above 15, the table
  // missing, the id unknown or the variant empty.
  const char* GetText(uint16_t id, int variant) const;
  // Replaces one variant of the current language's program table; the caller
  // keeps the text alive. Ignored when the record cannot be found.
  void SetText(uint16_t id, int variant, const char* text);

 private:
  enum Slot { kApp0, kApp1, kFramework0, kFramework1, kSlots };

  // The record of `id` in a slot's table (language 0's table when that
  // language has none), or null.
  TextRecord* Find(uint16_t id, int language, bool framework) const;

  const char* languageNames_[kLanguageCount];
  TextRecord* tables_[kSlots];
  int32_t counts_[kSlots];  // each table's own record count
  int language_;
};
