program Task1;
var
  N, I: Integer;
  S: Real;
begin
  Read(N);
  S := 0;
  for I := 1 to N do
    S := S + 1 / I;
  WriteLn(S:0:4);
end.
