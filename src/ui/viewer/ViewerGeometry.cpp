#include "ui/viewer/ViewerGeometry.h"

#include <algorithm>
#include <limits>

#include <QVector3D>

namespace vexora::ui {

ViewerGeometry::ViewerGeometry(QQuick3DObject* parent) : QQuick3DGeometry(parent)
{
    setScene({});
}

void ViewerGeometry::setScene(const SceneGeometry& scene)
{
    clear();
    setPrimitiveType(PrimitiveType::Triangles);
    setStride(static_cast<int>(kSceneFloatsPerVertex * sizeof(float)));
    addAttribute(Attribute::PositionSemantic, 0, Attribute::F32Type);
    addAttribute(Attribute::ColorSemantic, 3 * sizeof(float), Attribute::F32Type);
    setVertexData(QByteArray(reinterpret_cast<const char*>(scene.vertices.data()),
                             static_cast<qsizetype>(scene.vertices.size() * sizeof(float))));
    QVector3D low(std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                  std::numeric_limits<float>::max());
    QVector3D high = -low;
    for (std::size_t v = 0; v < scene.vertexCount(); ++v) {
        const float* p = &scene.vertices[v * kSceneFloatsPerVertex];
        for (int k = 0; k < 3; ++k) low[k] = std::min(low[k], p[k]), high[k] = std::max(high[k], p[k]);
    }
    if (scene.vertexCount() == 0) low = high = QVector3D();
    setBounds(low, high);
    update();
}

}  // namespace vexora::ui
