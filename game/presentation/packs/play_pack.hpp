#pragma once

#include <iterator>

#include "game/presentation/packs/pack_loading.hpp"

// "data\level1.pak", the play pack: every picture, quad sprite and sound a game uses from its
// start on, and the table that reads the pack's 88 entries into them, in pack order. Play,
// the game start, the level-complete and ending screens, the asset builder and the checks of
// the built game folder all take their numbers from here. It sits with the pack reader, below
// every other floor of the game, because the lives display and the brick codes need it too.
namespace game::presentation::play_pack {

// ---- Pictures ----

inline constexpr int kBall = 0;  // also stands in for an empty level-file cell
inline constexpr int kExtraBall = 35;
inline constexpr int kPaddle = 1;        // the normal paddle, 52 pixels wide
inline constexpr int kWidePaddle = 22;   // 75 pixels
inline constexpr int kSmallPaddle = 24;  // 26 pixels
inline constexpr int kGunPaddle = 25;    // with a cannon at each end

// One picture per brick code: the code of a brick is the number of its picture.
inline constexpr int kFirstBrick = 100;
inline constexpr int kLastBrick = 106;
static_assert(kLastBrick - kFirstBrick == 6);
// What a brick that needs more hits shows on it: 348 + the hits it still needs. 348 itself
// is a blank picture the game start makes, so every count has a picture.
inline constexpr int kNoHitsLeftMark = 348;
constexpr int HitsLeftMark(int hits) {
    return kNoHitsLeftMark + hits;
}

inline constexpr int kPlayfieldFrame = 33;  // the walls and the ceiling, over the background
inline constexpr int kPlanet = 53;          // the level-2 decoration; the backgrounds skip 53
inline constexpr int kIntroLattice = 36;    // 600 x 600, repeats both ways
inline constexpr int kSidePost = 37;        // either side of the lattice
inline constexpr int kGetReadyTitle = 14;   // slides down over the lattice
inline constexpr int kLifeIcon = 15;
inline constexpr int kExplosionStrip = 11;  // 17 frames of 30 x 27
inline constexpr int kGaugeFrame = 13;
inline constexpr int kGaugeFill = 16;  // 71 x 184, shown from the bottom as the gauge rises
inline constexpr int kDoubleScoreBanner = 17;
inline constexpr int kDoubleScoreBadge = 18;
inline constexpr int kStreakLabel = 20;
inline constexpr int kStreakOfTenBanner = 30;
inline constexpr int kShot = 27;  // both cannons' bolts in one picture
inline constexpr int kAmmunitionPanel = 29;
inline constexpr int kRocket = 44;
inline constexpr int kRocketFlame = 45;  // 33 frames of 16 x 28
inline constexpr int kBarrier = 75;      // 800 x 20
inline constexpr int kLeftBarrierPost = 76;
inline constexpr int kRightBarrierPost = 77;
inline constexpr int kPauseBand = 47;  // opaque
inline constexpr int kPauseText = 48;
inline constexpr int kPauseSparks = 49;
inline constexpr int kLevelCompleteMedal = 40;
inline constexpr int kLevelCompleteBanner = 41;
inline constexpr int kSpark = 7;  // read but never drawn

// The capsules; a capsule's picture is also its kind.
inline constexpr int kPowerCapsule = 19;
inline constexpr int kWideCapsule = 21;
inline constexpr int kSmallCapsule = 23;
inline constexpr int kGunCapsule = 26;
inline constexpr int kMultiBallCapsule = 34;
inline constexpr int kReverseCapsule = 42;
inline constexpr int kDropCapsule = 43;
inline constexpr int kRocketCapsule = 46;

// The four letters of the bonus word, numbered 1 to 4: their capsules, and their tiles on
// the letter panel, lit once caught and dim until then.
inline constexpr int kLetterPanel = 68;
inline constexpr int kLetterSetBanner = 73;
inline constexpr int kFirstLetterCapsule = 69;  // 69 to 72
inline constexpr int kFirstLitLetter = 60;      // 60, 62, 64, 66
inline constexpr int kFirstDimLetter = 61;      // 61, 63, 65, 67
constexpr int LetterCapsule(int letter) {
    return kFirstLetterCapsule + letter - 1;
}
constexpr int LitLetter(int letter) {
    return kFirstLitLetter + 2 * (letter - 1);
}
constexpr int DimLetter(int letter) {
    return kFirstDimLetter + 2 * (letter - 1);
}

// Textures of the quad sprites below (read in texture mode).
inline constexpr int kBallGlowTexture = 6;
inline constexpr int kFlashTexture = 8;
inline constexpr int kSmallRingTexture = 9;
inline constexpr int kPopupTexture = 10;
inline constexpr int kLargeRingTexture = 12;
inline constexpr int kShotGlowTexture = 28;
inline constexpr int kGhostTexture = 31;
inline constexpr int kEmblemTexture = 38;
inline constexpr int kBeamTexture = 39;
inline constexpr int kLampTexture = 74;
inline constexpr int kBarrierGlowTexture = 78;

// ---- Quad sprites, made at the start of a game ----

inline constexpr int kBallGlowQuad = 0;
inline constexpr int kFlashQuad = 1;      // where a brick broke; resized as it grows
inline constexpr int kSmallRingQuad = 2;  // made but never drawn
inline constexpr int kPopupQuad = 3;      // rises from a broken brick
inline constexpr int kLargeRingQuad = 4;  // made but never drawn
inline constexpr int kFountainQuad = 5;   // the sparks beside the full power gauge
inline constexpr int kShotGlowQuad = 6;
inline constexpr int kGhostQuad = 7;  // the fading picture of a lost ball
// The turning star of light that rises from the paddle after a cleared level, and drifts
// through the ending.
inline constexpr int kEmblemQuad = 8;
inline constexpr int kBeamQuad = 9;
inline constexpr int kLampQuad = 10;  // pulses while the bricks creep down
inline constexpr int kBarrierGlowQuad = 11;

// Each quad sprite with the texture it shows, in the order the game start makes them.
struct QuadSource {
    int quad;
    int texture;
};
inline constexpr QuadSource kQuads[] = {
    {kBallGlowQuad, kBallGlowTexture},   {kFlashQuad, kFlashTexture},
    {kSmallRingQuad, kSmallRingTexture}, {kPopupQuad, kPopupTexture},
    {kLargeRingQuad, kLargeRingTexture}, {kFountainQuad, kFlashTexture},
    {kShotGlowQuad, kShotGlowTexture},   {kGhostQuad, kGhostTexture},
    {kEmblemQuad, kEmblemTexture},       {kBeamQuad, kBeamTexture},
    {kLampQuad, kLampTexture},           {kBarrierGlowQuad, kBarrierGlowTexture},
};

// ---- Sounds ----

inline constexpr int kPaddleBounceSound = 0;
inline constexpr int kBrickDestroyedSound = 1;  // also ends a brick drop
inline constexpr int kBrickHitSound = 2;        // a hit that does not destroy
inline constexpr int kGetReadySound = 3;
// The two layers of the fanfare, always played together.
inline constexpr int kFanfareSound = 4;
inline constexpr int kFanfareSparkleSound = 5;
inline constexpr int kGoodCapsuleSound = 6;
inline constexpr int kShotSound = 7;  // a gun shot, or the rocket's launch
inline constexpr int kBadCapsuleSound = 8;
inline constexpr int kBallLostSound = 9;
inline constexpr int kLetterSound = 10;
inline constexpr int kDescentSound = 11;  // a step of the creeping bricks
inline constexpr int kLetterSetSound = 12;

// ---- The pack, entry by entry ----

constexpr PackTarget Picture(int number) {
    return {PackTarget::Sprite, number};
}
constexpr PackTarget Texture(int number) {
    return {PackTarget::Texture, number};
}
constexpr PackTarget Sound(int number) {
    return {PackTarget::Sound, number};
}

inline constexpr PackTarget kEntries[] = {
    Picture(kBall),
    Picture(kPaddle),
    Picture(kFirstBrick),
    Picture(kFirstBrick + 1),
    Picture(kFirstBrick + 2),
    Picture(kFirstBrick + 3),
    Picture(kFirstBrick + 4),
    Texture(kBallGlowTexture),
    Picture(kSpark),
    Texture(kSmallRingTexture),
    Texture(kFlashTexture),
    Texture(kPopupTexture),
    Picture(kExplosionStrip),
    Texture(kLargeRingTexture),
    Picture(kGaugeFrame),
    Picture(kGetReadyTitle),
    Picture(kLifeIcon),
    Picture(kGaugeFill),
    Picture(kDoubleScoreBanner),
    Picture(kDoubleScoreBadge),
    Picture(kPowerCapsule),
    Sound(kPaddleBounceSound),
    Sound(kBrickDestroyedSound),
    Sound(kBrickHitSound),
    Sound(kGetReadySound),
    Sound(kFanfareSound),
    Sound(kFanfareSparkleSound),
    Sound(kGoodCapsuleSound),
    Picture(kStreakLabel),
    Picture(kWideCapsule),
    Picture(kWidePaddle),
    Picture(kSmallPaddle),
    Picture(kSmallCapsule),
    Picture(kGunPaddle),
    Picture(kGunCapsule),
    Picture(kShot),
    Texture(kShotGlowTexture),
    Picture(kAmmunitionPanel),
    Sound(kShotSound),
    Sound(kBadCapsuleSound),
    Picture(kFirstBrick + 5),
    Picture(kFirstBrick + 6),
    Picture(kPlanet),
    Picture(kStreakOfTenBanner),
    Texture(kGhostTexture),
    Sound(kBallLostSound),
    Picture(kPlayfieldFrame),
    Picture(kMultiBallCapsule),
    Picture(kExtraBall),
    Picture(kIntroLattice),
    Picture(kSidePost),
    Texture(kEmblemTexture),
    Texture(kBeamTexture),
    Picture(kLevelCompleteMedal),
    Picture(kLevelCompleteBanner),
    Picture(kReverseCapsule),
    Picture(kDropCapsule),
    Picture(kRocket),
    Picture(kRocketFlame),
    Picture(kRocketCapsule),
    Picture(HitsLeftMark(1)),
    Picture(HitsLeftMark(2)),
    Picture(HitsLeftMark(3)),
    Picture(kPauseBand),
    Picture(kPauseText),
    Picture(kPauseSparks),
    Picture(LitLetter(1)),
    Picture(DimLetter(1)),
    Picture(LitLetter(2)),
    Picture(DimLetter(2)),
    Picture(LitLetter(3)),
    Picture(DimLetter(3)),
    Picture(LitLetter(4)),
    Picture(DimLetter(4)),
    Picture(kLetterPanel),
    Picture(LetterCapsule(1)),
    Picture(LetterCapsule(2)),
    Picture(LetterCapsule(3)),
    Picture(LetterCapsule(4)),
    Picture(kLetterSetBanner),
    Texture(kLampTexture),
    Picture(kBarrier),
    Picture(kLeftBarrierPost),
    Picture(kRightBarrierPost),
    Texture(kBarrierGlowTexture),
    Sound(kLetterSound),
    Sound(kDescentSound),
    Sound(kLetterSetSound),
};
static_assert(std::size(kEntries) == 88);

// The entry read into a picture or texture, or into a sound; -1 when the pack has none.
constexpr int PictureEntry(int sprite) {
    for (int i = 0; i < int(std::size(kEntries)); ++i)
        if (kEntries[i].kind != PackTarget::Sound && kEntries[i].number == sprite) return i;
    return -1;
}
constexpr int SoundEntry(int sound) {
    for (int i = 0; i < int(std::size(kEntries)); ++i)
        if (kEntries[i].kind == PackTarget::Sound && kEntries[i].number == sound) return i;
    return -1;
}

}  // namespace game::presentation::play_pack
