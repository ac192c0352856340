#pragma once

// Every price of the game, in roubles, in one place.
inline constexpr int CitizenshipPrice = 2000;
inline constexpr int PassportPrice = 3000;
inline constexpr int RoomPrice = 50000;
inline constexpr int BagUpgradePrice = 200;
// Paid for each bottle and each kilogram of waste paper handed in.
inline constexpr int BottlePrice = 3;
inline constexpr int WastePaperPrice = 1;

// What the man pays for one of a good at the market, and what he gets for one.
struct GoodPrices {
    int buy;
    int sell;
};
inline constexpr GoodPrices BreadPrices{5, 7};
inline constexpr GoodPrices PastaPrices{9, 11};
inline constexpr GoodPrices MatchesPrices{2, 3};
inline constexpr GoodPrices CigarettesPrices{6, 9};
inline constexpr GoodPrices GumPrices{3, 4};
inline constexpr GoodPrices MeatPrices{50, 60};
