#include "install/manifest.h"

enum { RO_H, RO, H, NONE };

static constexpr unsigned char ReadOnlyOf(int attributes) { return attributes == RO_H || attributes == RO; }
static constexpr unsigned char HiddenOf(int attributes) { return attributes == RO_H || attributes == H; }

const ManifestStep kManifestSteps[] = {
#define MANIFEST_PROGRESS(position) {0, nullptr, 0, 0, 0, position},
#define MANIFEST_ROW(identifier, file, attributes, kind) \
    {identifier, file, ReadOnlyOf(attributes), HiddenOf(attributes), kind, 0},
#include "install/manifest_table.def"
#undef MANIFEST_PROGRESS
#undef MANIFEST_ROW
};

const int kManifestStepCount = sizeof kManifestSteps / sizeof kManifestSteps[0];
