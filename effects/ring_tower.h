// The ring tower: nested columns of flared rings, drawn from client-side arrays.
#pragma once
#include <cstdint>

namespace zuzor {

struct Camera;

// The show's settings the tower is drawn with (the demo's state holds them).
struct TowerSettings {
    int32_t copies = 0;      // columns drawn, 0 to 7
    bool lit = false;        // the lit pass
    bool cameraAlt = false;  // the second camera
};

struct RingMesh {
    float ringPoints[30][3] = {};  // lower inner 0..9, upper outer 10..19, upper inner 20..29
    float vertices[44 * 3] = {};   // two 22-vertex triangle strips: band, then lip
    float normals[44 * 3] = {};    // all zero, never written

    void buildRings();
    void buildStrips();
    void drawColumn() const;
    void drawSegment() const;
};

struct RingTower {
    float pulse = 0.0f;
    RingMesh mesh;

    void init(bool& towerFlash);  // also clears the lit-pass switch
    void update();
    void bindArrays() const;
    // Places its camera on the modelview. With hidden set, everything but the primitives
    // is done: for a frame whose colour buffer is cleared after this drawing, only the GL
    // state it leaves behind matters.
    void draw(const Camera& camera, const TowerSettings& settings, int32_t t,
              bool hidden = false) const;

    // The uniform scale of copy i at whole tick t (copy 0 is the outermost).
    static double copyScale(int32_t i, int32_t t);
    // The colour of copy i at whole tick t, as handed to the GL (unclamped).
    struct Colour {
        float red, green, blue;
    };
    static Colour copyColour(int32_t i, int32_t t);
};

}  // namespace zuzor
