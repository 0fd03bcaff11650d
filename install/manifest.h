/* The install manifest and the product table: fixed data that drives the install run. */
#ifndef TOVRA_MANIFEST_H
#define TOVRA_MANIFEST_H

enum ManifestKind { kOptionalRow = 0, kRequiredRow = 1, kWordBaseRow = 2 };

/* One step of the manifest walk: a file to write, or (identifier 0) a progress
   checkpoint to set on the progress bar. */
struct ManifestStep {
    int identifier;
    const char *fileName;
    unsigned char readOnly;
    unsigned char hidden;
    unsigned char kind;           /* ManifestKind */
    unsigned char progress;       /* checkpoints only */
};

extern const ManifestStep kManifestSteps[];
extern const int kManifestStepCount;

inline int IsManifestRow(const ManifestStep &step) { return step.identifier != 0; }
/* Word-base rows are required too: a failure of one ends the run. */
inline int IsRequiredRow(const ManifestStep &step) { return step.kind != kOptionalRow; }

/* Products of the family, rows of the product table. */
enum Product { kProductNotes = 0, kProductInputEngine = 1, kProductSmartEditor = 2, kProductKeypad = 3 };
enum { kProductCount = 4 };
/* The product this build installs; it also carries the notes application. */
enum { kInstalledProduct = kProductSmartEditor };

enum ProductField {
    kDisplayName = 0,    /* program group */
    kShortcutName = 1,   /* shortcut file name and description */
    kUninstallName = 2,  /* the uninstaller's shortcut */
    kExecutableFile = 3,
    kUninstallerFile = 4,
};

/* The field of a product row; for the three name fields the column follows the system
   Chinese variant: 0 English, 1 GBK, 2 or more Big5. */
const char *ProductName(int row, int field, int variant);

#endif
