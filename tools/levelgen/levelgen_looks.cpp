#include "levelgen_looks.h"

#include <allegro.h>

namespace levelgen {

const std::vector<Look>& looks() {
    static const std::vector<Look> all = {hills_look(), islands_look(), caves_look(), fortress_look()};
    return all;
}

const Look* find_look(const std::string& name) {
    for (const Look& look : looks())
        if (name == look.name) return &look;
    return nullptr;
}

Terrain make_terrain(const LevelRecipe& recipe) {
    Terrain t(recipe.width, recipe.height, recipe.seed);
    find_look(recipe.look)->shape(t);
    return t;
}

LevelImages make_level_images(const LevelRecipe& recipe) {
    const Look& look = *find_look(recipe.look);
    const Terrain t = make_terrain(recipe);
    LevelImages images;
    for (OwnedBitmap* bmp : {&images.mask, &images.undiggable, &images.fore, &images.back}) {
        bmp->reset(create_bitmap(t.w, t.h));
        if (!*bmp) return {};
    }
    const int solid = makecol(255, 0, 255), air = makecol(0, 255, 0);
    for (int y = 0; y < t.h; ++y)
        for (int x = 0; x < t.w; ++x) {
            const Cell cell = t.at(x, y);
            putpixel(images.mask.get(), x, y, cell == Air ? air : solid);
            putpixel(images.undiggable.get(), x, y, cell == Rock ? solid : air);
            const Paint p = look.paint(t, x, y);
            putpixel(images.fore.get(), x, y, to_colour(p.fore));
            putpixel(images.back.get(), x, y, to_colour(p.back));
        }
    return images;
}

bool save_level_images(const LevelImages& images, const std::string& dir, std::string* why) {
    const std::pair<const char*, BITMAP*> files[] = {{"mask.bmp", images.mask.get()},
                                                     {"undiggable.bmp", images.undiggable.get()},
                                                     {"fore.bmp", images.fore.get()},
                                                     {"back.bmp", images.back.get()}};
    for (const auto& [name, bmp] : files) {
        const std::string path = dir + "/" + name;
        if (save_bitmap(path.c_str(), bmp, nullptr) != 0) {
            *why = "cannot write " + path;
            return false;
        }
    }
    return true;
}

}  // namespace levelgen
