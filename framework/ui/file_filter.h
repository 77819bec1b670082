#pragma once
// The filter list of the common file dialogs: pairs of zero-terminated texts
// (description, pattern), ended by an empty text.
#include <cstddef>

// The default extension of filter `index` (0-based): its pattern's first
// extension ("*.bmp;*.dib" gives "bmp"); empty for "*.*", a pattern without
// "*.", or an index beyond the list.
void DefaultExtensionOfFilter(const char* filterList, int index, char* out, size_t size);
