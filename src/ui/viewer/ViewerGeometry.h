#pragma once
// A scene's triangles (core/viewer/ViewerScene.h) handed to Qt Quick 3D:
// positions and a colour per vertex, drawn as they are.

#include <QQuick3DGeometry>

#include "core/viewer/ViewerScene.h"

namespace vexora::ui {

class ViewerGeometry : public QQuick3DGeometry {
    Q_OBJECT
public:
    explicit ViewerGeometry(QQuick3DObject* parent = nullptr);
    void setScene(const SceneGeometry& scene);
};

}  // namespace vexora::ui
