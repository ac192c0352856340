#pragma once

#include "core/saturating_int.h"

#include <QString>

// The one record of everything the game knows about the man. Handlers read and write its
// fields directly; displays catch up on their own.
struct CharacterState {
    SaturatingInt BinBottles;
    SaturatingInt BinPaper;
    SaturatingInt Bottles;
    SaturatingInt WastePaper;
    SaturatingInt Bread;
    SaturatingInt Pasta;
    SaturatingInt Matches;
    SaturatingInt Cigarettes;
    SaturatingInt Gum;
    SaturatingInt Meat;
    SaturatingInt LuckyBin;
    QString BinBottlesText;
    QString BinPaperText;
    QString MoneyText;
    SaturatingInt BuyPrice;
    SaturatingInt SellPrice;
    SaturatingInt SelectedStock;
    SaturatingInt Money;
    SaturatingInt BagCapacity;
    SaturatingInt CitizenshipState;
    SaturatingInt PassportState;
    SaturatingInt RoomState;
    SaturatingInt Health;
    SaturatingInt Feces;
    SaturatingInt Fatigue;
    SaturatingInt Satiety;
    QString AppDir;
};

// A document counts as held only at exactly this value; anything else a saved game holds
// counts as not held.
inline constexpr std::int32_t DocumentHeld = 2;
inline constexpr std::int32_t StartBagCapacity = 2;

extern CharacterState Character;

// The "Новая игра" → "Да" reset: documents, goods, money, bag and vitals; the screens'
// working values stay as they are.
void newGameReset(CharacterState &state);

// Joins the program folder and a file name the way every handler builds its paths.
QString appFile(const CharacterState &state, const QString &fileName);
