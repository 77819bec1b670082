#include "framework/ui/command_table.h"

int CCommandTable::Add(uint16_t id, uint16_t kind, uint32_t flags, uint16_t image, uint16_t text,
                       void* data, float widthFactor, float heightFactor) {
  CommandRecord record;
  record.id = id;
  record.kind = kind;
  record.fWidthFactor = widthFactor;
  record.fHeightFactor = heightFactor;
  record.flags = flags | kCommandAdded | kCommandEnabled;
  record.image = image == kSameAsId ? id : image;
  record.text = text == kSameAsId ? id : text;
  record.data = data;
  auto keyAt = [this](int32_t i) { return m_aRecords.data[i].id; };
  int32_t position = SortedInsertIndex(m_aRecords.count, id, keyAt);
  return m_aRecords.Insert(&record, position, 1);
}

int CCommandTable::Find(uint16_t id) const {
  auto keyAt = [this](int32_t i) { return m_aRecords.data[i].id; };
  return FindSortedIndex(m_aRecords.count, id, keyAt);
}

int64_t CCommandTable::GetFlags(uint16_t id) const {
  int index = Find(id);
  return index < 0 ? -1 : int64_t(m_aRecords.data[index].flags);
}

CommandRecord* CCommandTable::GetAt(int index) const {
  if (index < 0 || index >= m_aRecords.count) return nullptr;
  return &m_aRecords.data[index];
}

void CCommandTable::Remove(uint16_t id) {
  int index = Find(id);
  if (index >= 0) m_aRecords.RemoveAt(index);
}

void CCommandTable::RemoveRange(uint16_t first, uint32_t end) {
  // The records are sorted by id: the group is one run.
  int32_t begin = 0;
  while (begin < m_aRecords.count && m_aRecords.data[begin].id < first) ++begin;
  int32_t stop = begin;
  while (stop < m_aRecords.count && m_aRecords.data[stop].id < end) ++stop;
  for (int32_t i = begin; i < stop; ++i) m_aRecords.RemoveAt(begin);
}
