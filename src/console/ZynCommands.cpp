// ZynCommands: logic, arithmetic, constant and console commands.
#include "console/ZynCommands.h"

#include "config/ZynConst.h"
#include "console/ZynCommandHelp.h"
#include "console/ZynConsole.h"
#include "platform/ZynNumbers.h"

namespace {

// Whole-number result text of a real value (nearest, ties to even, saturated).
std::string WholeText(double v) { return std::to_string(ZynRoundEven64(v)); }

void StepConstant(const std::string& name, float steps)
{
    int32_t index = FindConst(name);
    if (index < 0) {
        CmdPrint("\"" + name + "\" not found");
        return;
    }
    ConstStep(index, steps);
}

} // namespace

void ProcCls(const TParams& params, std::string& result)
{
    if (params.size() != 1) return ShowCommandHelp("Cls");
    ConsoleClear();
}

void ProcNot(const TParams& params, std::string& result)
{
    if (params.size() != 2) return ShowCommandHelp("Not");
    result = CmdParamFloat(params, 1) == 0.0 ? "1" : "0";
}

void ProcIf(const TParams& params, std::string& result)
{
    if (params.size() != 3 && params.size() != 4) return ShowCommandHelp("If");
    if (CmdParamFloat(params, 1) != 0.0) result = ExecuteLine(params[2]);
    else if (params.size() == 4) result = ExecuteLine(params[3]);
}

void ProcGreater(const TParams& params, std::string& result)
{
    if (params.size() != 3) return ShowCommandHelp("Greater");
    // Numbers compare as numbers (so 10 is greater than 9); any other text
    // compares as text.
    double a, b;
    bool greater;
    if (ZynParseDouble(CmdTrim(params[1]), a) && ZynParseDouble(CmdTrim(params[2]), b)) greater = a > b;
    else greater = params[1] > params[2];
    result = greater ? "1" : "0";
}

void ProcInc(const TParams& params, std::string& result)
{
    if (params.size() != 2) return ShowCommandHelp("Inc");
    result = WholeText(CmdParamFloat(params, 1) + 1.0);
}

void ProcDec(const TParams& params, std::string& result)
{
    if (params.size() != 2) return ShowCommandHelp("Dec");
    result = WholeText(CmdParamFloat(params, 1) - 1.0);
}

void ProcAdd(const TParams& params, std::string& result)
{
    if (params.size() != 3) return ShowCommandHelp("Add");
    result = WholeText(CmdParamFloat(params, 1) + CmdParamFloat(params, 2));
}

void ProcVarInc(const TParams& params, std::string& result)
{
    if (params.size() != 2) return ShowCommandHelp("VarInc");
    StepConstant(params[1], 1.0f);
}

void ProcVarDec(const TParams& params, std::string& result)
{
    if (params.size() != 2) return ShowCommandHelp("VarDec");
    StepConstant(params[1], -1.0f);
}

void ProcVarStep(const TParams& params, std::string& result)
{
    if (params.size() != 3) return ShowCommandHelp("VarStep");
    StepConstant(params[1], static_cast<float>(CmdParamInt(params, 2)));
}

std::string AnnounceText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); i++) {
        if (static_cast<unsigned char>(text[i]) == 172) {
            out.push_back('\r');
        } else if (text[i] == '/' && i + 1 < text.size() && text[i + 1] == 'n') {
            out.push_back('\r');
            i++;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}
