// UiImage: a PNG file stretched over the rectangle. A file that cannot be
// read leaves the texture empty; the quad is drawn all the same.
//
// Sections: layout; drawing.
#pragma once

#include "ui/ui_box.h"

class UiImage : public UiBox {
    VELDO_CELL(UiImage, UiBox, 0x27194686170EB9D5ULL)

public:
    enum ImageTag : int32_t { kImagePath = kBoxTagCount, kImageTagCount };

    SObject<MeshGx> quadMesh;
    SObject<TextureGx> texture;
    SObject<MaterialGx> material;

    UiImage() = default;
    // Makes its mesh, texture and material and loads the file.
    UiImage(const WChar* path, int32_t sizeKind);
    void DeclareTags() override;

    // ---- layout
    // Loads another file; false when it cannot be read or decoded.
    bool Load(const WChar* path);
    const WChar* Path() const;

    // ---- drawing
    void Process() override;
    void Draw(DrawGx& draw) override;

private:
    void MakeResources();
};
