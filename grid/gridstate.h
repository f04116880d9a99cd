#pragma once
// The grid table (one record per camera view), the working arrays the
// screens share, and the per-grid file names, descriptions and ready flags.

#include "grid/gridmapping.h"

#include <QSize>
#include <QString>

#include <array>

namespace korvel
{

// Buoy slots of the working arrays and of the grid files: the far pair is
// "upper", the near pair "lower".
enum BuoySlot { UpperRight = 1, LowerRight = 2, UpperLeft = 3, LowerLeft = 4 };

// Positions inside one record of the grid table.
namespace rec
{
constexpr int slotBase(int slot)
{
    return (slot - 1) * 4 + 3;
} // screen x, y, survey X, Y
constexpr int coefficient(int k)
{
    return 18 + k;
} // c1..c8 at 19..26
constexpr int JumpX = 27, JumpY = 28, Ten = 29, Two = 30, GridNumber = 31;
constexpr int CheckScreenX = 32, CheckScreenY = 33, CheckSurveyX = 34, CheckSurveyY = 35;
constexpr int Size = 41;
} // namespace rec

using GridRecord = std::array<double, rec::Size>;

struct GridState {
    // Rows 1..3 are grids 1..3; row 0 stays empty.
    std::array<GridRecord, 4> table{};

    // Working arrays, indices 1..4 = buoy slots.
    std::array<double, 6> screenX{}, screenY{}, surveyX{}, surveyY{};

    // Solve matrix, rows and columns 1..9 used; column 9 of rows 1..8 holds
    // c1..c8 after a solve.
    std::array<std::array<double, 11>, 11> M{};

    std::array<QString, 4> gridFile;
    std::array<QString, 4> gridDescription;
    std::array<bool, 4> gridReady{};
    // The size in pixels of the pictures each grid was set up on; not valid
    // for a grid read from a file that does not say. A picture of another
    // size puts every buoy somewhere else: its distances would be wrong.
    std::array<QSize, 4> pictureSize{};

    // +1 when the upper-right buoy's survey X is smaller than the upper-left's.
    int surveyXDirection = 1;

    SurveyPoint jump;       // the jump point as typed
    SurveyPoint storedJump; // its copy stored with the record
    ScreenPoint checkScreen;
    SurveyPoint checkSurvey;

    Coefficients coefficients() const;
    void setCoefficients(const Coefficients& c);

    // Copies record g into the working arrays, the coefficients, the jump
    // point copy and the check buoy values.
    void readRecord(int g);
    // Stores the working values into record g (with 10, 2 and the grid number).
    void storeRecord(int g);

    // 1 when every configured grid (1..gridCount) is ready.
    bool allConfiguredReady(int gridCount) const;
};

} // namespace korvel
