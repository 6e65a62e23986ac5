-- x = x * 1.0001 + i with a test of x against a limit, 10^7 times: doubles meet integers in
-- multiply, add and compare.
local x = 1.0
local resets = 0
for i = 1, 10000000 do
  x = x * 1.0001 + i
  if not (x < 1e12) then x = x / 1e6; resets = resets + 1 end
end
-- The bits of x, 0x426CBA8F7306B4F6, through %a: LuaJIT has no string.pack.
assert(resets == 316 and string.format("%a", x) == "0x1.cba8f7306b4f6p+39")
