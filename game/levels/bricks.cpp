#include "game/levels/bricks.hpp"

namespace game::levels {

BrickList& Bricks() {
    static BrickList list;
    return list;
}

}  // namespace game::levels
