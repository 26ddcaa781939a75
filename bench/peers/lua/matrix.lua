local a, b, c = {}, {}, {}
for i = 1, 100 do
  a[i], b[i], c[i] = {}, {}, {}
  for j = 1, 100 do a[i][j] = i + j; b[i][j] = i - j end
end
for i = 1, 100 do
  for j = 1, 100 do
    local s = 0
    for k = 1, 100 do s = s + a[i][k] * b[k][j] end
    c[i][j] = s
  end
end
print(string.format("%.0f", c[100][100]))
