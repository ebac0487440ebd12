#include "levelgen_looks.h"

namespace levelgen {

namespace {

void shape(Terrain& t) { for (int y = t.h / 2; y < t.h; ++y) for (int x = 0; x < t.w; ++x) t.ref(x, y) = Earth; }
Paint paint(const Terrain&, int, int) { return {{100, 80, 60}, {10, 10, 30}}; }

}  // namespace

Look islands_look() { return {"islands", "todo", shape, paint}; }

}  // namespace levelgen
