#pragma once
// The profile organiser, the options dialogs and the about box. Null
// entries: the dialog is not part of the program yet and its command stays
// disabled.
struct ProfileRecord;

struct ProfileDialogsSeam {
  // The profile organiser; false when it was cancelled.
  bool (*pfnOrganizeProfiles)();
  // The program options at page; false when cancelled.
  bool (*pfnShowProgramOptions)(int page);
  // The profile options over the record; false when cancelled.
  bool (*pfnEditProfile)(ProfileRecord* profile);
  // A new profile in its options dialog; false when cancelled.
  bool (*pfnCreateProfile)(ProfileRecord* profile);
  // The framework's about box.
  void (*pfnShowAbout)();
};
extern ProfileDialogsSeam gProfileDialogsSeam;
