// The viewer's 3D view: the sections, the cut-away model and the electrodes
// drawn unlit (each colour is exactly its value's), a camera that orbits the
// model's centre with the mouse (drag turns, wheel zooms).
import QtQuick
import QtQuick3D
import QtQuick3D.Helpers
import Vexora.Viewer

View3D {
    id: view
    camera: camera
    property alias sections: sectionGeometry
    property alias volume: volumeGeometry
    property alias electrodes: electrodeGeometry
    property real distance: 100
    property real yaw: -30
    property real pitch: -25
    property real exaggeration: 1

    // Back to the distance the whole model needs, keeping the direction.
    function standBack() {
        camera.position = Qt.vector3d(0, 0, view.distance)
    }

    function resetView() {
        orbit.eulerRotation = Qt.vector3d(view.pitch, view.yaw, 0)
        camera.position = Qt.vector3d(0, 0, view.distance)
    }

    environment: SceneEnvironment {
        clearColor: "white"
        backgroundMode: SceneEnvironment.Color
        antialiasingMode: SceneEnvironment.NoAA
        tonemapMode: SceneEnvironment.TonemapModeNone
    }

    Node {
        id: orbit
        eulerRotation: Qt.vector3d(view.pitch, view.yaw, 0)
        PerspectiveCamera {
            id: camera
            z: view.distance
            fieldOfView: 30
            clipNear: view.distance / 1000
            clipFar: view.distance * 100
        }
    }

    // The model's z is up: stretched by the vertical exaggeration, then
    // turned so it points along the scene's y.
    Node {
        eulerRotation.x: -90
        scale: Qt.vector3d(1, 1, view.exaggeration)
        Model {
            geometry: ViewerGeometry { id: sectionGeometry }
            materials: DefaultMaterial { lighting: DefaultMaterial.NoLighting; vertexColorsEnabled: true; cullMode: Material.NoCulling }
        }
        Model {
            geometry: ViewerGeometry { id: volumeGeometry }
            materials: DefaultMaterial { lighting: DefaultMaterial.NoLighting; vertexColorsEnabled: true; cullMode: Material.NoCulling }
        }
        Model {
            geometry: ViewerGeometry { id: electrodeGeometry }
            materials: DefaultMaterial { lighting: DefaultMaterial.NoLighting; vertexColorsEnabled: true; cullMode: Material.NoCulling }
        }
    }

    OrbitCameraController {
        anchors.fill: parent
        origin: orbit
        camera: camera
    }
}
