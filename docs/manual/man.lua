-- The man page leaves out what only the HTML manual can show (pictures).
function Div(el)
  if el.classes:includes('html-only') then return {} end
end
