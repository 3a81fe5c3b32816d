// kivJSON is compiled as this one translation unit, so the compiler sees every
// call between the value model, the writer and the parser.
#include "JSONErrorCat.cpp"
#include "JSONNumber.cpp"
#include "JSONArray.cpp"
#include "JSONObject.cpp"
#include "JSONValuePool.cpp"
#include "JSONPrivateImpl.cpp"
#include "JSONTreeWalk.cpp"
#include "JSONWriter.cpp"
#include "JSONValue.cpp"
#include "JSONParser.cpp"
#include "JSONUtil.cpp"
