#include "viewer/viewer_icon.h"

// Resources of a static library register only when asked to, outside any namespace.
static void RegisterViewerResources() {
  Q_INIT_RESOURCE(viewer_resources);
}

namespace odecet {

QIcon ViewerIcon() {
  RegisterViewerResources();
  QIcon icon;
  for (const int size : {32, 48, 64, 128, 256})
    icon.addFile(QStringLiteral(":/viewer-icons/odecet-%1.png").arg(size), QSize(size, size));
  return icon;
}

}  // namespace odecet
