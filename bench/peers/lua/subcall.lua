local s = 0
local function addto(x) s = s + x end
for i = 1, 1000000 do addto(i) end
print(string.format("%.0f", s))
