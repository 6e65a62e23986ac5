-- Lua 5.4 counterparts of bench/strings_bench.cpp, on the same inputs: plain string.find over
-- every occurrence of "lazy dog" in 1 MB, and a gmatch tokenizer over a 100,000-token statement
-- that gives each token a class, its text (names in lower case) and its position.
-- Run: lua5.4 bench/lua/strings.lua

local function word_text(size)
  local words = {"alpha", "beta", "gamma", "delta", "lazy", "dog", "quick", "brown", "fox", "jumps"}
  local parts, length, state = {}, 0, 12345
  while length < size do
    state = (state * 1103515245 + 12345) % 2147483648
    local w = words[((state >> 16) % 10) + 1]
    parts[#parts + 1] = w .. " "
    length = length + #w + 1
  end
  return table.concat(parts):sub(1, size)
end

local function time(name, reps, fn)
  local start = os.clock()
  local result
  for _ = 1, reps do result = fn() end
  local per = (os.clock() - start) / reps
  print(string.format("%-20s %8.3f ms  (%s)", name, per * 1000, result))
end

local text = word_text(1 << 20)
time("lua_search_forward", 200, function()
  local found, at = 0, 1
  while true do
    local i = string.find(text, "lazy dog", at, true)
    if not i then break end
    found = found + 1
    at = i + 1
  end
  return found .. " matches"
end)

local source = string.rep("x1 = y$ + 12.5 * ( count - 3 ) <= \"text\" , ", (100000 + 13) // 14)
local class_of = {}
for c in ("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"):gmatch(".") do class_of[c] = 23 end
for c in ("0123456789."):gmatch(".") do class_of[c] = 25 end
class_of['"'] = 27
time("lua_scan_tokens", 50, function()
  local tokens = 0
  local kind, text_, position
  for pos, tok in source:gmatch("()(%S+)") do
    local k = class_of[tok:sub(1, 1)] or 1
    if k == 23 then
      tok = tok:lower()
      if tok:sub(-1) == "$" then k = 24 end
    elseif k == 25 and tok:find("[.eE]") then
      k = 26
    end
    kind, text_, position = k, tok, pos
    tokens = tokens + 1
  end
  return tokens .. " tokens"
end)
