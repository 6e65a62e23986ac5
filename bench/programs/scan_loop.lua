-- A tokenizer giving each token a class, its text (names in lower case) and its position.
local source = string.rep("x1 = y$ + 12.5 * ( count - 3 ) <= \"text\" , ", 8192)
local class_of = {}
for c in ("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"):gmatch(".") do class_of[c] = 23 end
for c in ("0123456789."):gmatch(".") do class_of[c] = 25 end
class_of['"'] = 27
local tokens = 0
for round = 1, 10 do
  local kind, text, position
  for pos, tok in source:gmatch("()(%S+)") do
    local k = class_of[tok:sub(1, 1)] or 1
    if k == 23 then
      tok = tok:lower()
      if tok:sub(-1) == "$" then k = 24 end
    elseif k == 25 and tok:find("[.eE]") then
      k = 26
    end
    kind, text, position = k, tok, pos
    tokens = tokens + 1
  end
end
assert(tokens == 1146880)
