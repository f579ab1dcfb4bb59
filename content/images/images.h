// The show's texture, reflection and glow images, made procedurally.
// Every image is a pure function of its name: the same bytes on every run.
#pragma once

#include <string>
#include <vector>

struct ImageInfo {
    std::string file;         // lower-case file name, ".png" or ".jpg"
    int width, height;        // powers of two, 128..512
    std::string kind;         // "texture" | "envmap" | "glow"
    std::string description;  // what it shows and where it fits
    // Textures only: seamless when repeated in both directions. Envmaps and
    // glows are never tiled; the sky is seamless left to right only.
    bool tileable;
};

// All images, in a fixed order.
//  - "texture": a texture 1 map; seen upright through texels (u right, v up).
//  - "envmap": a reflection map for sphere mapping. The reflected world fills
//    the disc inscribed in the square, black outside. Rows are stored so that
//    the sky appears above the horizon in the show (its loader uploads the top
//    row first and sphere mapping reads the disc's lower half for upward
//    reflections), so the file itself shows the sky at the bottom.
//  - "glow": for additive (transparent) materials: bright on black, exactly
//    black on and outside the ellipse inscribed in the image (a circle for
//    the square ones), so the corners and edges of a quad add nothing.
const std::vector<ImageInfo> &ImageCatalogue();

// Renders one catalogue image as 8-bit RGB, top row first, and sets *w and *h.
// An unknown name answers an empty vector with *w = *h = 0.
std::vector<unsigned char> RenderImage(const std::string &file, int *w, int *h);

// Writes every catalogue image into dir (created if missing), rendering on
// up to four threads; .jpg names are written as JPEG (quality 92), the rest
// as PNG. Answers false with a message in *error (when not null) if any image
// cannot be written.
bool WriteAllImages(const std::string &dir, std::string *error);
