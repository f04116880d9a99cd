#include "grid/gridstate.h"

namespace korvel
{

Coefficients GridState::coefficients() const
{
    Coefficients c;
    for (int k = 1; k <= 8; ++k)
        c[k] = M[k][9];
    return c;
}

void GridState::setCoefficients(const Coefficients& c)
{
    for (int k = 1; k <= 8; ++k)
        M[k][9] = c[k];
}

void GridState::readRecord(int g)
{
    const GridRecord& r = table[g];
    for (int slot = 1; slot <= 4; ++slot) {
        const int b = rec::slotBase(slot);
        screenX[slot] = r[b];
        screenY[slot] = r[b + 1];
        surveyX[slot] = r[b + 2];
        surveyY[slot] = r[b + 3];
    }
    for (int k = 1; k <= 8; ++k)
        M[k][9] = r[rec::coefficient(k)];
    storedJump = {r[rec::JumpX], r[rec::JumpY]};
    checkScreen = {r[rec::CheckScreenX], r[rec::CheckScreenY]};
    checkSurvey = {r[rec::CheckSurveyX], r[rec::CheckSurveyY]};
}

void GridState::storeRecord(int g)
{
    GridRecord& r = table[g];
    for (int slot = 1; slot <= 4; ++slot) {
        const int b = rec::slotBase(slot);
        r[b] = screenX[slot];
        r[b + 1] = screenY[slot];
        r[b + 2] = surveyX[slot];
        r[b + 3] = surveyY[slot];
    }
    for (int k = 1; k <= 8; ++k)
        r[rec::coefficient(k)] = M[k][9];
    r[rec::JumpX] = storedJump.X;
    r[rec::JumpY] = storedJump.Y;
    r[rec::Ten] = 10;
    r[rec::Two] = 2;
    r[rec::GridNumber] = g;
    r[rec::CheckScreenX] = checkScreen.x;
    r[rec::CheckScreenY] = checkScreen.y;
    r[rec::CheckSurveyX] = checkSurvey.X;
    r[rec::CheckSurveyY] = checkSurvey.Y;
}

bool GridState::allConfiguredReady(int gridCount) const
{
    if (gridCount < 1 || gridCount > 3)
        return false;
    for (int g = 1; g <= gridCount; ++g) {
        if (!gridReady[g])
            return false;
    }
    return true;
}

} // namespace korvel
